#pragma once

#include <string>
#include <vector>

namespace miyoutong {

// A byte array with its length: HTTP bodies, photos, files.
using Bytes = std::vector<unsigned char>;

inline Bytes ToBytes(const std::string& text) { return Bytes(text.begin(), text.end()); }

}  // namespace miyoutong
