#include "regions/jet_text.h"

#include <cstddef>

#include "common/utf8.h"

namespace miyoutong {

namespace {

// UTF-16 code units to UTF-8, pairing surrogates.
std::string Utf16ToUtf8(const std::u16string& units) {
    std::string out;
    out.reserve(units.size() * 3);
    for (std::size_t i = 0; i < units.size(); ++i) {
        const char16_t unit = units[i];
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
            units[i + 1] <= 0xDFFF) {
            AppendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (units[i + 1] - 0xDC00));
            ++i;
        } else if (unit >= 0xD800 && unit <= 0xDFFF) {
            AppendUtf8(out, 0xFFFD);
        } else {
            AppendUtf8(out, unit);
        }
    }
    return out;
}

}  // namespace

std::string DecodeJetText(std::span<const unsigned char> stored) {
    std::u16string units;
    const bool compressed = stored.size() >= 2 && stored[0] == 0xFF && stored[1] == 0xFE;
    if (!compressed) {
        for (std::size_t i = 0; i + 1 < stored.size(); i += 2) {
            units += static_cast<char16_t>(stored[i] | stored[i + 1] << 8);
        }
        return Utf16ToUtf8(units);
    }
    bool oneByte = true;
    std::size_t i = 2;
    while (i < stored.size()) {
        if (stored[i] == 0) {
            oneByte = !oneByte;
            ++i;
        } else if (oneByte) {
            units += static_cast<char16_t>(stored[i]);
            ++i;
        } else if (i + 1 < stored.size()) {
            units += static_cast<char16_t>(stored[i] | stored[i + 1] << 8);
            i += 2;
        } else {
            break;
        }
    }
    return Utf16ToUtf8(units);
}

}  // namespace miyoutong
