#pragma once

#include <array>

#include "common/control_surface.h"

namespace miyoutong {

// The controls that the option lock disables and enables, in the order it goes through them.
inline constexpr std::array<Control, 13> kOptionLockControls = {
    Control::组合框_性别,     Control::组合框_月收入,   Control::组合框_结束身高,
    Control::组合框_起始身高, Control::组合框_教育程度, Control::组合框_婚姻状况,
    Control::组合框_结束地区, Control::组合框_起始地区, Control::组合框_结束年龄,
    Control::组合框_起始年龄, Control::选择框1,         Control::选择框2,
    Control::按钮1,
};

// Keeps the search options and the Search button out of the user's reach while a search or a
// photo download runs. Changes nothing but the enabled state.
void SetOptionsLocked(ControlSurface& controls, bool locked);

}  // namespace miyoutong
