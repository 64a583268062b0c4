#pragma once

// Text values as a Jet 4 file stores them: UTF-16LE, or "compressed" (marked by FF FE) where a
// zero byte switches between one byte per character (the character's low byte, high byte zero)
// and two bytes per character.

#include <span>
#include <string>

namespace miyoutong {

// The stored bytes as UTF-8. Unpaired surrogates become U+FFFD; an odd last byte is dropped.
std::string DecodeJetText(std::span<const unsigned char> stored);

}  // namespace miyoutong
