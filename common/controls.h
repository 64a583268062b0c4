#pragma once

// The controls of the main window, under their names in the window description. The widget of
// each control carries the same name as its object name.

#include <array>
#include <string_view>

namespace miyoutong {

enum class Control {
    分组框1,
    分组框2,
    分组框3,
    图片框1,
    标签1,
    标签2,
    标签3,
    标签4,
    标签5,
    标签6,
    标签7,
    标签8,
    标签9,
    标签10,
    标签11,
    组合框_性别,
    组合框_起始年龄,
    组合框_结束年龄,
    组合框_起始地区,
    组合框_结束地区,
    组合框_婚姻状况,
    组合框_月收入,
    组合框_教育程度,
    组合框_起始身高,
    组合框_结束身高,
    选择框1,
    选择框2,
    按钮1,
    超级列表框1,
    超级链接框1,
    超级链接框2,
    超级链接框3,
};

inline constexpr int kControlCount = static_cast<int>(Control::超级链接框3) + 1;

// The control's name as UTF-8, for example "组合框_性别".
std::string_view ControlName(Control control);

// Every control, in the order of the enum.
std::array<Control, kControlCount> AllControls();

// The ten drop-down lists.
inline constexpr std::array<Control, 10> kComboBoxes = {
    Control::组合框_性别,     Control::组合框_起始年龄, Control::组合框_结束年龄,
    Control::组合框_起始地区, Control::组合框_结束地区, Control::组合框_婚姻状况,
    Control::组合框_月收入,   Control::组合框_教育程度, Control::组合框_起始身高,
    Control::组合框_结束身高,
};

bool IsComboBox(Control control);

}  // namespace miyoutong
