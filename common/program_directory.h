#pragma once

#include <string>
#include <string_view>

namespace miyoutong {

// Separator between the program directory and a relative name.
inline constexpr char kPathSeparator = '/';

// The folder that holds the running executable, without a trailing separator.
std::string ExecutableDirectory();

// directory + separator + relative name.
std::string JoinPath(std::string_view directory, std::string_view relativeName);

}  // namespace miyoutong
