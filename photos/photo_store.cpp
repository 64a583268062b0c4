#include "photos/photo_store.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>

namespace miyoutong {

namespace {

bool WriteAll(int fd, const Bytes& bytes) {
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        written += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

bool SaveFileAtomically(const std::string& path, const Bytes& bytes) {
    const std::filesystem::path target(path);
    std::error_code error;
    std::filesystem::create_directories(target.parent_path(), error);
    if (error) {
        return false;
    }
    std::string temp = (target.parent_path() / ".part-XXXXXX").string();
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) {
        return false;
    }
    // mkstemp creates 0600; a saved photo is an ordinary file of the user's.
    ::fchmod(fd, 0644);
    const bool written = WriteAll(fd, bytes);
    const bool closed = ::close(fd) == 0;
    if (!written || !closed || ::rename(temp.c_str(), path.c_str()) != 0) {
        ::unlink(temp.c_str());
        return false;
    }
    return true;
}

Bytes ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return {};
    }
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace miyoutong
