#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "tools/demo-service/demo_member.h"

namespace miyoutong::demo {

// The markup of one member in a result list (UTF-8). `variant` picks the letter case of tag and
// attribute names and the white space between the parts, the way different templates of a real
// site write them; every variant keeps one white-space character where a reader of these pages
// may expect exactly one.
std::string MemberEntryHtml(const DemoMember& member, std::string_view host, std::uint64_t variant);

}  // namespace miyoutong::demo
