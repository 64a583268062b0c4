#include "app/option_lists.h"

#include <gtest/gtest.h>

#include "common/gbk.h"
#include "common/memory_control_surface.h"

namespace miyoutong {
namespace {

struct Expected {
    Control list;
    int index;
    const char* text;
    int value;
};

TEST(OptionLists, StoredListsHoldTheirItemsAndStartOnTheFirst) {
    MemoryControlSurface c;
    FillStoredOptionLists(c);
    const Expected cases[] = {
        {Control::组合框_性别, 0, "请选择", -1},
        {Control::组合框_性别, 1, "男", 0},
        {Control::组合框_性别, 2, "女", 1},
        {Control::组合框_婚姻状况, 1, "未婚", 1},
        {Control::组合框_婚姻状况, 2, "离异", 3},
        {Control::组合框_婚姻状况, 3, "丧偶", 4},
        {Control::组合框_月收入, 1, "1000元以下", 1},
        {Control::组合框_月收入, 9, "50000元以上", 9},
        {Control::组合框_教育程度, 1, "高中及以下", 3},
        {Control::组合框_教育程度, 2, "中专", 2},
        {Control::组合框_教育程度, 6, "博士", 7},
    };
    for (const Expected& e : cases) {
        EXPECT_EQ(c.ComboItemText(e.list, e.index), Gbk(e.text)) << ControlName(e.list);
        EXPECT_EQ(c.ComboItemValue(e.list, e.index), e.value) << e.text;
    }
    const std::pair<Control, int> counts[] = {{Control::组合框_性别, 3},
                                              {Control::组合框_婚姻状况, 4},
                                              {Control::组合框_月收入, 10},
                                              {Control::组合框_教育程度, 7}};
    for (auto [list, count] : counts) {
        EXPECT_EQ(c.ComboItemCount(list), count) << ControlName(list);
        EXPECT_EQ(c.ComboSelection(list), 0) << ControlName(list);
        EXPECT_EQ(c.ComboItemValue(list, c.ComboSelection(list)), -1);
    }
    for (int i = 0; i < 4; ++i) {
        EXPECT_NE(c.ComboItemValue(Control::组合框_婚姻状况, i), 2);
    }
    // The income texts use ASCII hyphens and digits.
    EXPECT_EQ(c.ComboItemText(Control::组合框_月收入, 2), "1001-2000" + Gbk("元"));
}

TEST(OptionLists, AgeAndHeightLists) {
    MemoryControlSurface c;
    FillAgeLists(c);
    FillHeightLists(c);
    const Expected cases[] = {
        {Control::组合框_起始年龄, 0, "请选择", -1}, {Control::组合框_结束年龄, 0, "请选择", -1},
        {Control::组合框_起始年龄, 1, "18", 18},     {Control::组合框_结束年龄, 82, "99", 99},
        {Control::组合框_起始身高, 0, "不限", -1},   {Control::组合框_结束身高, 0, "不限", -1},
        {Control::组合框_起始身高, 1, "129", 129},   {Control::组合框_结束身高, 82, "210", 210},
    };
    for (const Expected& e : cases) {
        EXPECT_EQ(c.ComboItemText(e.list, e.index), Gbk(e.text)) << ControlName(e.list);
        EXPECT_EQ(c.ComboItemValue(e.list, e.index), e.value) << e.text;
    }
    for (Control list : {Control::组合框_起始年龄, Control::组合框_结束年龄,
                         Control::组合框_起始身高, Control::组合框_结束身高}) {
        EXPECT_EQ(c.ComboItemCount(list), 83) << ControlName(list);
        EXPECT_EQ(c.ComboSelection(list), 0) << ControlName(list);
        // Plain decimal texts, each one above the one before.
        for (int i = 2; i < 83; ++i) {
            EXPECT_EQ(c.ComboItemValue(list, i), c.ComboItemValue(list, i - 1) + 1);
            EXPECT_EQ(c.ComboItemText(list, i), std::to_string(c.ComboItemValue(list, i)));
        }
    }
}

}  // namespace
}  // namespace miyoutong
