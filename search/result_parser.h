#pragma once

// Turns the member block of one result page into rows of the result list.

#include <string_view>

#include "common/control_surface.h"
#include "search/regex_holder.h"

namespace miyoutong {

// Matches the member-entry pattern over the block (GBK) and appends one row per entry, each
// written as soon as its entry is found: index, member ID, nickname, age, region, integrity
// value, photo URL, download state; after each row the count label shows the list's total.
// An empty holder, an empty block or a block without a whole entry adds nothing. When matching
// gives up on a runaway attempt the rows found before it stay.
void ParseResultBlock(ControlSurface& controls, const RegexHolder& regex, std::string_view block);

}  // namespace miyoutong
