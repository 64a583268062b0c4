#include "app/skin.h"

#include <dlfcn.h>

#include <filesystem>

#include "common/gbk.h"
#include "common/program_directory.h"

namespace miyoutong {

namespace {

using AttachRes = int (*)(const unsigned char* data, int length, const char* password, int, int,
                          int);

}  // namespace

SkinResult ApplySkin(const std::string& programDirectory) {
    const std::string path = JoinPath(programDirectory, kSkinLibraryName);
    std::error_code error;
    if (!std::filesystem::exists(path, error)) {
        return SkinResult::Absent;
    }
    void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        return SkinResult::Unusable;
    }
    auto attach = reinterpret_cast<AttachRes>(dlsym(library, kSkinEntryName));
    if (attach == nullptr) {
        dlclose(library);
        return SkinResult::Unusable;
    }
    attach(SkinData().data(), kSkinDataSize, "", 0, 0, 0);
    return SkinResult::Applied;
}

std::string SkinFailureText(const std::string& programDirectory) {
    return Gbk("无法调用皮肤库 ") + JoinPath(programDirectory, kSkinLibraryName) +
           Gbk(" 中的函数 ") + kSkinEntryName + Gbk("，程序将退出。");
}

}  // namespace miyoutong
