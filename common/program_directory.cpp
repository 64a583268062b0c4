#include "common/program_directory.h"

#include <filesystem>

namespace miyoutong {

std::string ExecutableDirectory() {
    std::error_code error;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) {
        return std::filesystem::current_path(error).string();
    }
    return exe.parent_path().string();
}

std::string JoinPath(std::string_view directory, std::string_view relativeName) {
    std::string path(directory);
    path += kPathSeparator;
    path += relativeName;
    return path;
}

}  // namespace miyoutong
