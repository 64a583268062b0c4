#pragma once

// GBK (code page 936) <-> UTF-8. The conversion is lossless for any bytes: a byte that does not
// start a valid GBK character becomes the private-use code point U+F700 + byte, and turns back
// into the same byte. So text cut out of a web page keeps every byte through a round trip.

#include <string>
#include <string_view>

namespace miyoutong {

std::string GbkToUtf8(std::string_view gbk);

// Code points that GBK cannot hold become "?"; malformed UTF-8 bytes become "?" too.
std::string Utf8ToGbk(std::string_view utf8);

// First code point of the escape range used for bytes that are not GBK.
constexpr char32_t kGbkByteEscapeBase = 0xF700;

}  // namespace miyoutong

namespace miyoutong {

// A GBK text from a UTF-8 literal of the source code: Gbk("搜索").
inline std::string Gbk(std::string_view utf8) { return Utf8ToGbk(utf8); }

}  // namespace miyoutong
