#pragma once

#include <string>
#include <string_view>

namespace miyoutong::demo {

// A whole page of the demo site around `body`: doctype, head with title and style sheet, the
// site's header and navigation, the note that everything is made up, the footer. UTF-8.
std::string FramePage(std::string_view title, std::string_view body);

// The page as the site sends it: GBK bytes.
std::string ToGbkPage(std::string_view utf8Page);

// Text made safe for HTML content and attribute values.
std::string HtmlEscape(std::string_view text);

}  // namespace miyoutong::demo
