#include "common/gbk.h"

#include <iconv.h>

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "common/utf8.h"

namespace miyoutong {

namespace {

constexpr char32_t kNoCharacter = 0;

// Both directions of code page 936 as tables, read once from glibc's iconv. A code point that two
// byte pairs would share is kept for the first pair only, so that every decoded character turns
// back into the bytes it came from.
class GbkTables {
public:
    GbkTables() : decode_(kPairCount, kNoCharacter), encode_(0x10000, 0) {
        iconv_t converter = iconv_open("UTF-32LE", "CP936");
        if (converter == reinterpret_cast<iconv_t>(-1)) {
            return;
        }
        singleByte80_ = Convert(converter, {0x80});
        if (singleByte80_ != kNoCharacter) {
            encode_[singleByte80_] = 0x80;
        }
        for (unsigned lead = 0x81; lead <= 0xFE; ++lead) {
            for (unsigned trail = 0x40; trail <= 0xFE; ++trail) {
                const char32_t cp = Convert(converter, {static_cast<unsigned char>(lead),
                                                        static_cast<unsigned char>(trail)});
                if (cp == kNoCharacter || cp > 0xFFFF || encode_[cp] != 0 || IsEscape(cp)) {
                    continue;
                }
                decode_[PairIndex(lead, trail)] = cp;
                encode_[cp] = static_cast<std::uint16_t>(lead << 8 | trail);
            }
        }
        iconv_close(converter);
    }

    static bool IsEscape(char32_t cp) {
        return cp >= kGbkByteEscapeBase + 0x80 && cp <= kGbkByteEscapeBase + 0xFF;
    }

    char32_t Pair(unsigned char lead, unsigned char trail) const {
        if (trail < 0x40 || trail > 0xFE) {
            return kNoCharacter;
        }
        return decode_[PairIndex(lead, trail)];
    }

    char32_t SingleByte80() const { return singleByte80_; }

    // The GBK bytes of a BMP code point as (lead << 8 | trail), a single byte, or 0.
    std::uint16_t Encode(char32_t cp) const { return cp <= 0xFFFF ? encode_[cp] : 0; }

private:
    static constexpr size_t kPairCount = 126 * 191;

    static size_t PairIndex(unsigned lead, unsigned trail) {
        return (lead - 0x81) * 191 + (trail - 0x40);
    }

    static char32_t Convert(iconv_t converter, std::vector<unsigned char> in) {
        unsigned char out[8] = {};
        char* inPtr = reinterpret_cast<char*>(in.data());
        size_t inLeft = in.size();
        char* outPtr = reinterpret_cast<char*>(out);
        size_t outLeft = sizeof out;
        iconv(converter, nullptr, nullptr, nullptr, nullptr);
        if (iconv(converter, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1) ||
            inLeft != 0 || sizeof out - outLeft != 4) {
            return kNoCharacter;
        }
        return static_cast<char32_t>(out[0] | out[1] << 8 | out[2] << 16 | out[3] << 24);
    }

    std::vector<char32_t> decode_;
    std::vector<std::uint16_t> encode_;
    char32_t singleByte80_ = kNoCharacter;
};

const GbkTables& Tables() {
    static const GbkTables tables;
    return tables;
}

// Decodes one UTF-8 sequence at `pos`; advances `pos`. Malformed input gives U+FFFD and one byte.
char32_t NextCodePoint(std::string_view in, size_t& pos) {
    const auto b0 = static_cast<unsigned char>(in[pos]);
    int length = 0;
    char32_t cp = 0;
    if (b0 < 0x80) {
        ++pos;
        return b0;
    } else if ((b0 & 0xE0) == 0xC0) {
        length = 2;
        cp = b0 & 0x1F;
    } else if ((b0 & 0xF0) == 0xE0) {
        length = 3;
        cp = b0 & 0x0F;
    } else if ((b0 & 0xF8) == 0xF0) {
        length = 4;
        cp = b0 & 0x07;
    } else {
        ++pos;
        return 0xFFFD;
    }
    if (pos + length > in.size()) {
        ++pos;
        return 0xFFFD;
    }
    for (int i = 1; i < length; ++i) {
        const auto b = static_cast<unsigned char>(in[pos + i]);
        if ((b & 0xC0) != 0x80) {
            ++pos;
            return 0xFFFD;
        }
        cp = cp << 6 | (b & 0x3F);
    }
    static constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < kSmallest[length] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        ++pos;
        return 0xFFFD;
    }
    pos += length;
    return cp;
}

}  // namespace

std::string GbkToUtf8(std::string_view gbk) {
    const GbkTables& tables = Tables();
    std::string out;
    out.reserve(gbk.size() + gbk.size() / 2);
    size_t pos = 0;
    while (pos < gbk.size()) {
        // Runs of ASCII, the bulk of a web page, are copied whole.
        size_t run = pos;
        while (run < gbk.size() && static_cast<unsigned char>(gbk[run]) < 0x80) {
            ++run;
        }
        out.append(gbk.data() + pos, run - pos);
        pos = run;
        if (pos >= gbk.size()) {
            break;
        }
        const auto lead = static_cast<unsigned char>(gbk[pos]);
        char32_t cp = kNoCharacter;
        size_t width = 1;
        if (lead >= 0x81 && lead <= 0xFE && pos + 1 < gbk.size()) {
            cp = tables.Pair(lead, static_cast<unsigned char>(gbk[pos + 1]));
            width = 2;
        } else if (lead == 0x80) {
            cp = tables.SingleByte80();
        }
        if (cp == kNoCharacter) {
            cp = kGbkByteEscapeBase + lead;
            width = 1;
        }
        AppendUtf8(out, cp);
        pos += width;
    }
    return out;
}

std::string Utf8ToGbk(std::string_view utf8) {
    const GbkTables& tables = Tables();
    std::string out;
    out.reserve(utf8.size());
    size_t pos = 0;
    while (pos < utf8.size()) {
        const char32_t cp = NextCodePoint(utf8, pos);
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (GbkTables::IsEscape(cp)) {
            out += static_cast<char>(cp - kGbkByteEscapeBase);
        } else if (const std::uint16_t code = tables.Encode(cp); code > 0xFF) {
            out += static_cast<char>(code >> 8);
            out += static_cast<char>(code & 0xFF);
        } else if (code != 0) {
            out += static_cast<char>(code);
        } else {
            out += '?';
        }
    }
    return out;
}

}  // namespace miyoutong
