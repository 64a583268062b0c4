#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace miyoutong {

// Folder of the saved photos for a gender selection index: "m" for 1 (男), "f" for 2 (女),
// nothing for any other index.
std::optional<std::string> PhotoFolder(int genderIndex);

// A member ID comes from a web page and becomes a file name, so it must be a plain name: not
// empty, at most 200 bytes, no path separator, no "..", no control character, no character a
// file name on common systems cannot hold, and valid GBK.
bool IsSafeMemberId(std::string_view memberId);

// "m/<id>.jpg" or "f/<id>.jpg" (GBK, relative to the program directory), or nothing when the
// gender index names no folder or the ID is not safe.
std::optional<std::string> PhotoRelativeName(int genderIndex, std::string_view memberId);

// The file system path of a GBK name relative to the program directory.
std::string PhotoPath(std::string_view programDirectory, std::string_view relativeName);

}  // namespace miyoutong
