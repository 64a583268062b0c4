#include "app/option_lists.h"

#include <array>

#include "common/gbk.h"
#include "common/text.h"

namespace miyoutong {

namespace {

constexpr std::array<OptionItem, 3> kGender = {{{"请选择", -1}, {"男", 0}, {"女", 1}}};

// No item carries 2.
constexpr std::array<OptionItem, 4> kMarriage = {
    {{"请选择", -1}, {"未婚", 1}, {"离异", 3}, {"丧偶", 4}}};

constexpr std::array<OptionItem, 10> kSalary = {{
    {"请选择", -1},
    {"1000元以下", 1},
    {"1001-2000元", 2},
    {"2001-3000元", 3},
    {"3001-5000元", 4},
    {"5001-8000元", 5},
    {"8001-10000元", 6},
    {"10001-20000元", 7},
    {"20001-50000元", 8},
    {"50000元以上", 9},
}};

// The service numbers 高中及以下 as 3 and 中专 as 2: not in list order.
constexpr std::array<OptionItem, 7> kEducation = {{
    {"请选择", -1},
    {"高中及以下", 3},
    {"中专", 2},
    {"大专", 4},
    {"大学本科", 5},
    {"硕士", 6},
    {"博士", 7},
}};

constexpr std::array<StoredOptionList, 4> kStoredLists = {{
    {Control::组合框_性别, kGender},
    {Control::组合框_婚姻状况, kMarriage},
    {Control::组合框_月收入, kSalary},
    {Control::组合框_教育程度, kEducation},
}};

// Head item, then last + 1 .. end, added alternately to the start and the end list.
void FillNumberLists(ControlSurface& controls, Control startList, Control endList,
                     std::string_view head, int last, int end) {
    controls.ComboAddItem(startList, Gbk(head), -1);
    controls.ComboAddItem(endList, Gbk(head), -1);
    for (int n = last; n != end;) {
        ++n;
        controls.ComboAddItem(startList, DecimalText(n), n);
        controls.ComboAddItem(endList, DecimalText(n), n);
    }
    controls.ComboSelect(startList, 0);
    controls.ComboSelect(endList, 0);
}

}  // namespace

std::span<const StoredOptionList> StoredOptionLists() { return kStoredLists; }

void FillStoredOptionLists(ControlSurface& controls) {
    for (const StoredOptionList& stored : kStoredLists) {
        for (const OptionItem& item : stored.items) {
            controls.ComboAddItem(stored.list, Gbk(item.text), item.value);
        }
        controls.ComboSelect(stored.list, 0);
    }
}

void FillAgeLists(ControlSurface& controls) {
    FillNumberLists(controls, Control::组合框_起始年龄, Control::组合框_结束年龄, "请选择", 17, 99);
}

void FillHeightLists(ControlSurface& controls) {
    FillNumberLists(controls, Control::组合框_起始身高, Control::组合框_结束身高, "不限", 128, 210);
}

}  // namespace miyoutong
