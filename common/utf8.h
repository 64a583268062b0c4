#pragma once

#include <string>

namespace miyoutong {

// Appends the UTF-8 form of a code point (up to U+10FFFF).
void AppendUtf8(std::string& out, char32_t codePoint);

}  // namespace miyoutong
