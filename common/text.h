#pragma once

// Text inside the program is a GBK byte string. Positions are 1-based byte positions, lengths
// count bytes, and searches step over double-byte characters so that a match never starts on
// the second byte of one.

#include <cstdint>
#include <string>
#include <string_view>

#include "common/bytes.h"

namespace miyoutong {

// True for a byte that opens a double-byte GBK character.
inline bool IsGbkLeadByte(unsigned char byte) { return byte >= 0x81 && byte <= 0xFE; }

// 1-based position of the first occurrence of `sought` in `text` at or after `start`, or -1.
// An empty `sought` is found at `start` when `start` lies within a non-empty text.
int FindText(std::string_view text, std::string_view sought, int start = 1);

// As FindText, with ASCII letters compared without regard to case.
int FindTextNoCase(std::string_view text, std::string_view sought, int start = 1);

// `length` bytes from the 1-based `start`. A start before 1 or past the end, or a length of 0 or
// less, gives empty text; a length that runs past the end stops at the end.
std::string Mid(std::string_view text, int start, int length);

// Signed decimal text without leading zeros or plus sign: "-1", "0", "25".
std::string DecimalText(long long value);

// ASCII letters changed, every other byte (double-byte characters included) left as it is.
std::string AsciiLower(std::string_view text);
std::string AsciiUpper(std::string_view text);

// Reads a decimal number from the start of a text: full-width GBK characters count as their
// ASCII counterparts, leading blanks are skipped, then sign, digits, fraction and exponent are
// read as far as they go. No number reads as 0.
double TextToNumber(std::string_view text);

// TextToNumber truncated toward zero and saturated to the 32-bit signed range.
std::int32_t TextToInt(std::string_view text);

// The bytes up to, not including, the first zero byte, taken as text unchanged.
std::string BytesToText(const Bytes& bytes);
std::string BytesToText(std::string_view bytes);

}  // namespace miyoutong
