#include "common/controls.h"

#include <algorithm>

namespace miyoutong {

namespace {

constexpr std::array<std::string_view, kControlCount> kNames = {
    "分组框1",         "分组框2",         "分组框3",         "图片框1",
    "标签1",           "标签2",           "标签3",           "标签4",
    "标签5",           "标签6",           "标签7",           "标签8",
    "标签9",           "标签10",          "标签11",          "组合框_性别",
    "组合框_起始年龄", "组合框_结束年龄", "组合框_起始地区", "组合框_结束地区",
    "组合框_婚姻状况", "组合框_月收入",   "组合框_教育程度", "组合框_起始身高",
    "组合框_结束身高", "选择框1",         "选择框2",         "按钮1",
    "超级列表框1",     "超级链接框1",     "超级链接框2",     "超级链接框3",
};

}  // namespace

std::string_view ControlName(Control control) { return kNames.at(static_cast<int>(control)); }

std::array<Control, kControlCount> AllControls() {
    std::array<Control, kControlCount> all{};
    for (int i = 0; i < kControlCount; ++i) {
        all[i] = static_cast<Control>(i);
    }
    return all;
}

bool IsComboBox(Control control) {
    return std::find(kComboBoxes.begin(), kComboBoxes.end(), control) != kComboBoxes.end();
}

}  // namespace miyoutong
