#pragma once

#include <string>

#include "common/bytes.h"

namespace miyoutong {

// The optional skin library beside the program, and the entry the program calls in it.
inline constexpr char kSkinLibraryName[] = "SkinH_EL.dll";
inline constexpr char kSkinEntryName[] = "SkinH_AttachRes";
inline constexpr int kSkinDataSize = 24409;

// The skin held in the program, handed whole to the library: a Qt style sheet, zero-padded to
// kSkinDataSize bytes.
const Bytes& SkinData();

enum class SkinResult {
    Absent,    // no library beside the program: no skin, no message
    Applied,   // the library was loaded and its entry called
    Unusable,  // the file is there but cannot be loaded or lacks the entry
};

// Loads the library from the program directory and calls its entry with the skin data, "", 0, 0
// and 0. The library stays loaded for the life of the process.
SkinResult ApplySkin(const std::string& programDirectory);

// The fatal error text for an unusable skin library: names the file and the entry.
std::string SkinFailureText(const std::string& programDirectory);

}  // namespace miyoutong
