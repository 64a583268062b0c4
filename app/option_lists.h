#pragma once

// The search option lists: the four that come with the window, and the age and height lists
// filled at start-up.

#include <span>
#include <string_view>

#include "common/control_surface.h"

namespace miyoutong {

struct OptionItem {
    std::string_view text;  // UTF-8 here; GBK once it is added to a list
    int value;
};

struct StoredOptionList {
    Control list;
    std::span<const OptionItem> items;
};

// Gender, marital status, monthly income and education, with their items in list order.
std::span<const StoredOptionList> StoredOptionLists();

// Adds the items of the four stored lists and selects their first items: what the window holds
// when it is created.
void FillStoredOptionLists(ControlSurface& controls);

// Start and end age: "请选择" (-1), then 18 to 99.
void FillAgeLists(ControlSurface& controls);

// Start and end height: "不限" (-1), then 129 to 210.
void FillHeightLists(ControlSurface& controls);

}  // namespace miyoutong
