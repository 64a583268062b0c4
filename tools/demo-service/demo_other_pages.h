#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "tools/demo-service/demo_member.h"

namespace miyoutong::demo {

// All pages are GBK.

// The profile page of a member: every field and the photo.
std::string RenderProfilePage(const DemoMember& member, std::string_view host);

// The profile page asked for an ID that no member has.
std::string RenderUnknownMemberPage();

// The site's plain pages: "/", "/home.html", "/download.html", "/blog.html", "/forum.html".
// Nothing for any other path.
std::optional<std::string> RenderPlainPage(std::string_view path);

std::string RenderNotFoundPage();

}  // namespace miyoutong::demo
