#include "regions/jet_header.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "common/gbk.h"

namespace miyoutong {

namespace {

constexpr std::size_t kSignatureOffset = 0x04;
constexpr std::string_view kSignature = "Standard Jet DB";
constexpr std::size_t kVersionOffset = 0x14;
constexpr unsigned char kJet4Version = 1;
constexpr std::size_t kEncryptedOffset = 0x18;
constexpr std::size_t kEncryptedLength = 128;
constexpr std::size_t kPasswordOffset = 0x42;
constexpr std::size_t kPasswordLength = 40;
constexpr std::size_t kDateOffset = 0x72;
constexpr std::array<unsigned char, 4> kHeaderKey = {0xC7, 0xDA, 0x39, 0x6B};

// RC4 over `data` in place; the same call encrypts and decrypts.
void Rc4(std::span<const unsigned char> key, std::span<unsigned char> data) {
    std::array<unsigned char, 256> state;
    for (int i = 0; i < 256; ++i) {
        state[i] = static_cast<unsigned char>(i);
    }
    unsigned j = 0;
    for (unsigned i = 0; i < 256; ++i) {
        j = (j + state[i] + key[i % key.size()]) & 0xFF;
        std::swap(state[i], state[j]);
    }
    unsigned x = 0;
    unsigned y = 0;
    for (unsigned char& byte : data) {
        x = (x + 1) & 0xFF;
        y = (y + state[x]) & 0xFF;
        std::swap(state[x], state[y]);
        byte ^= state[(state[x] + state[y]) & 0xFF];
    }
}

// UTF-8 to UTF-16; malformed input cannot match a stored password, so it becomes U+FFFD.
std::u16string Utf8ToUtf16(std::string_view utf8) {
    std::u16string out;
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        const auto b0 = static_cast<unsigned char>(utf8[pos]);
        int length = b0 < 0x80 ? 1 : (b0 & 0xE0) == 0xC0 ? 2 : (b0 & 0xF0) == 0xE0 ? 3 : 4;
        char32_t cp = length == 1   ? b0
                      : length == 2 ? b0 & 0x1F
                      : length == 3 ? b0 & 0x0F
                                    : b0 & 0x07;
        bool valid = (b0 < 0x80 || (b0 >= 0xC2 && b0 <= 0xF4)) && pos + length <= utf8.size();
        for (int i = 1; valid && i < length; ++i) {
            const auto b = static_cast<unsigned char>(utf8[pos + i]);
            valid = (b & 0xC0) == 0x80;
            cp = cp << 6 | (b & 0x3F);
        }
        if (!valid || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            out += u'\uFFFD';
            ++pos;
            continue;
        }
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (cp >> 10));
            out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        } else {
            out += static_cast<char16_t>(cp);
        }
        pos += length;
    }
    return out;
}

}  // namespace

std::optional<JetHeader> ReadJetHeader(std::span<const unsigned char> file) {
    if (file.size() % kJetPageSize != 0 || file.size() / kJetPageSize < kJetMinimumPages) {
        return std::nullopt;
    }
    if (file[0] != 0 ||
        std::memcmp(file.data() + kSignatureOffset, kSignature.data(), kSignature.size()) != 0 ||
        file[kVersionOffset] != kJet4Version) {
        return std::nullopt;
    }
    std::array<unsigned char, kEncryptedLength> block;
    std::memcpy(block.data(), file.data() + kEncryptedOffset, block.size());
    Rc4(kHeaderKey, block);
    const auto at = [&block](std::size_t fileOffset) {
        return block.data() + (fileOffset - kEncryptedOffset);
    };

    JetHeader header;
    std::memcpy(&header.creationDate, at(kDateOffset), sizeof header.creationDate);
    // The mask needs the day number as a 32-bit integer; no real date lies outside that range.
    if (!std::isfinite(header.creationDate) || std::fabs(header.creationDate) >= 2147483648.0) {
        return std::nullopt;
    }
    const auto day = static_cast<std::uint32_t>(static_cast<std::int32_t>(header.creationDate));
    const unsigned char* masked = at(kPasswordOffset);
    for (std::size_t i = 0; i + 1 < kPasswordLength; i += 2) {
        const unsigned lo = masked[i] ^ ((day >> (8 * (i % 4))) & 0xFF);
        const unsigned hi = masked[i + 1] ^ ((day >> (8 * ((i + 1) % 4))) & 0xFF);
        const auto unit = static_cast<char16_t>(lo | hi << 8);
        if (unit == 0) {
            break;
        }
        header.password += unit;
    }
    return header;
}

bool JetPasswordMatches(const JetHeader& header, const std::string& password) {
    return Utf8ToUtf16(GbkToUtf8(password)) == header.password;
}

bool CheckJetHeader(std::span<const unsigned char> file, const std::string& password) {
    const std::optional<JetHeader> header = ReadJetHeader(file);
    return header && JetPasswordMatches(*header, password);
}

}  // namespace miyoutong
