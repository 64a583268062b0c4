#pragma once

// The parts of a request that the fetch fixes itself: the method and the header text.

#include <string>
#include <string_view>

namespace miyoutong {

// The method turned into capitals is compared with "POST"; unless equal it becomes "GET".
// "post" and "Post" stay as written.
std::string MethodByRule(std::string_view method);

// `headers` followed by the default accept, Referer and Accept-Language lines where their names
// are absent (ASCII case ignored), appended with no separator; for a method other than "GET"
// with a body, the form content line and the Content-Length line follow.
std::string RequestHeaderText(std::string_view headers, std::string_view url,
                              std::string_view method, std::string_view postData);

}  // namespace miyoutong
