#include "photos/photo_file_name.h"

#include "common/gbk.h"
#include "common/program_directory.h"
#include "common/text.h"

namespace miyoutong {

namespace {

constexpr std::size_t kMaxMemberIdBytes = 200;
constexpr std::string_view kForbiddenAscii = "/\\:*?\"<>|";

// True when every byte is printable ASCII or part of a well-formed double-byte GBK character.
bool IsPrintableGbk(std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (IsGbkLeadByte(byte)) {
            if (i + 1 >= text.size()) {
                return false;
            }
            const auto trail = static_cast<unsigned char>(text[++i]);
            if (trail < 0x40 || trail == 0x7F || trail == 0xFF) {
                return false;
            }
        } else if (byte < 0x20 || byte >= 0x7F) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::optional<std::string> PhotoFolder(int genderIndex) {
    switch (genderIndex) {
        case 1:
            return "m";
        case 2:
            return "f";
        default:
            return std::nullopt;
    }
}

bool IsSafeMemberId(std::string_view memberId) {
    if (memberId.empty() || memberId.size() > kMaxMemberIdBytes || !IsPrintableGbk(memberId)) {
        return false;
    }
    if (FindText(memberId, "..") > 0) {
        return false;
    }
    for (char c : kForbiddenAscii) {
        if (FindText(memberId, std::string_view(&c, 1)) > 0) {
            return false;
        }
    }
    return true;
}

std::optional<std::string> PhotoRelativeName(int genderIndex, std::string_view memberId) {
    const auto folder = PhotoFolder(genderIndex);
    if (!folder || !IsSafeMemberId(memberId)) {
        return std::nullopt;
    }
    return *folder + kPathSeparator + std::string(memberId) + ".jpg";
}

std::string PhotoPath(std::string_view programDirectory, std::string_view relativeName) {
    // Names in the list are GBK; the file system speaks UTF-8.
    return JoinPath(programDirectory, GbkToUtf8(relativeName));
}

}  // namespace miyoutong
