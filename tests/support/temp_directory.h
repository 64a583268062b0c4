#pragma once

// A fresh directory under the system's temporary folder, removed with everything in it at the
// end of the test.

#include <algorithm>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

namespace miyoutong::testing_support {

class TempDirectory {
public:
    TempDirectory() {
        std::random_device random;
        path_ = std::filesystem::temp_directory_path() /
                ("miyoutong-test-" + std::to_string(random()) + std::to_string(random()));
        std::filesystem::create_directories(path_);
    }
    ~TempDirectory() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempDirectory(const TempDirectory&) = delete;
    TempDirectory& operator=(const TempDirectory&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::string str() const { return path_.string(); }

    // Every regular file below the directory, as paths relative to it, sorted.
    std::vector<std::string> Files() const {
        std::vector<std::string> files;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(path_)) {
            if (entry.is_regular_file()) {
                files.push_back(std::filesystem::relative(entry.path(), path_).string());
            }
        }
        std::sort(files.begin(), files.end());
        return files;
    }

private:
    std::filesystem::path path_;
};

}  // namespace miyoutong::testing_support
