// libFuzzer target: URL splitting and the GBK text helpers on arbitrary bytes.
//
// Input: text, then optionally a zero byte, the sought text, another zero byte and parameter
// bytes (start and length for the substring and search calls, a number to print and read back).
// A seed without a zero byte is a URL or text alone.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>
#include <string_view>

#include "common/gbk.h"
#include "common/text.h"
#include "web/url.h"

namespace {

using namespace miyoutong;

void Check(bool holds, const char* what) {
    if (!holds) {
        std::fprintf(stderr, "url_text_fuzz: broken invariant: %s\n", what);
        std::abort();
    }
}

struct Input {
    std::string_view text;
    std::string_view sought;
    std::string_view parameters;
};

Input Split(std::string_view data) {
    Input in;
    const std::size_t first = data.find('\0');
    in.text = data.substr(0, first);
    if (first != std::string_view::npos) {
        const std::string_view rest = data.substr(first + 1);
        const std::size_t second = rest.find('\0');
        in.sought = rest.substr(0, second);
        if (second != std::string_view::npos) {
            in.parameters = rest.substr(second + 1);
        }
    }
    return in;
}

// A signed number from up to `bytes` parameter bytes, little end first; 0 when there are none.
long long TakeNumber(std::string_view& parameters, std::size_t bytes) {
    std::uint64_t value = 0;
    const std::size_t n = std::min(bytes, parameters.size());
    for (std::size_t i = 0; i < n; ++i) {
        value |= std::uint64_t{static_cast<unsigned char>(parameters[i])} << (8 * i);
    }
    parameters.remove_prefix(n);
    if (n == 0) {
        return 0;
    }
    const unsigned shift = static_cast<unsigned>(64 - 8 * n);
    return static_cast<long long>(value << shift) >> shift;  // sign-extended
}

bool AtBoundary(std::string_view text, std::size_t position) {
    std::size_t at = 0;
    while (at < position) {
        at += IsGbkLeadByte(static_cast<unsigned char>(text[at])) ? 2 : 1;
    }
    return at == position;
}

bool IsValidUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const auto b = static_cast<unsigned char>(text[i]);
        std::size_t length = b < 0x80             ? 1
                             : (b & 0xE0) == 0xC0 ? 2
                             : (b & 0xF0) == 0xE0 ? 3
                             : (b & 0xF8) == 0xF0 ? 4
                                                  : 0;
        if (length == 0 || i + length > text.size()) {
            return false;
        }
        char32_t cp = length == 1 ? b : b & (0x7F >> length);
        for (std::size_t k = 1; k < length; ++k) {
            const auto c = static_cast<unsigned char>(text[i + k]);
            if ((c & 0xC0) != 0x80) {
                return false;
            }
            cp = cp << 6 | (c & 0x3F);
        }
        constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (cp < kSmallest[length] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            return false;
        }
        i += length;
    }
    return true;
}

// FindText's answer is -1, or the first position at or after `start` where `sought` begins on a
// character boundary.
void CheckFound(std::string_view text, std::string_view sought, int start, int found, bool noCase) {
    const auto same = [noCase](std::string_view a, std::string_view b) {
        return noCase ? AsciiLower(a) == AsciiLower(b) : a == b;
    };
    const std::size_t from = start < 1 ? 0 : static_cast<std::size_t>(start) - 1;
    if (sought.empty() && !text.empty() && start >= 1 &&
        static_cast<std::size_t>(start) <= text.size()) {
        Check(found != -1, "empty text is found within a text");
    }
    if (found == -1) {
        for (std::size_t at = 0; at < text.size() && !text.empty();
             at += IsGbkLeadByte(static_cast<unsigned char>(text[at])) ? 2 : 1) {
            if (at >= from && at + sought.size() <= text.size() && !sought.empty()) {
                Check(!same(text.substr(at, sought.size()), sought),
                      "a text reported missing is not there");
            }
        }
        return;
    }
    Check(found >= 1 && static_cast<std::size_t>(found) >= from + 1, "found at or after start");
    const auto position = static_cast<std::size_t>(found) - 1;
    Check(position + sought.size() <= text.size(), "found within the text");
    Check(AtBoundary(text, position), "found at a character boundary");
    Check(same(text.substr(position, sought.size()), sought), "found text really matches");
    for (std::size_t at = 0; at < position;
         at += IsGbkLeadByte(static_cast<unsigned char>(text[at])) ? 2 : 1) {
        Check(at < from || !same(text.substr(at, sought.size()), sought), "found the first one");
    }
}

void CheckTextHelpers(const Input& in) {
    std::string_view parameters = in.parameters;
    const int start = static_cast<int>(TakeNumber(parameters, 2));
    const int length = static_cast<int>(TakeNumber(parameters, 2));
    const long long number = TakeNumber(parameters, 8);

    CheckFound(in.text, in.sought, start, FindText(in.text, in.sought, start), false);
    CheckFound(in.text, in.sought, start, FindTextNoCase(in.text, in.sought, start), true);

    const std::string mid = Mid(in.text, start, length);
    if (start < 1 || start > static_cast<int>(in.text.size()) || length <= 0) {
        Check(mid.empty(), "Mid outside the text is empty");
    } else {
        Check(mid.size() <= static_cast<std::size_t>(length), "Mid takes at most length bytes");
        Check(in.text.substr(static_cast<std::size_t>(start) - 1, mid.size()) == mid,
              "Mid is the text from start");
        Check(static_cast<std::size_t>(start) - 1 + mid.size() ==
                  std::min(in.text.size(),
                           static_cast<std::size_t>(start) - 1 + static_cast<std::size_t>(length)),
              "Mid stops at the end or after length bytes");
    }

    const std::string lower = AsciiLower(in.text);
    const std::string upper = AsciiUpper(in.text);
    Check(lower.size() == in.text.size() && upper.size() == in.text.size(),
          "case changes keep the length");
    Check(AsciiUpper(lower) == upper && AsciiLower(upper) == lower, "case changes are ASCII only");

    // Numbers: never NaN, the integer saturates, a printed number reads back as itself, and so
    // does the same number written with full-width digits.
    const double value = TextToNumber(in.text);
    Check(!std::isnan(value), "TextToNumber is never NaN");
    const std::int32_t integer = TextToInt(in.text);
    const double truncated = std::trunc(value);
    if (truncated >= std::numeric_limits<std::int32_t>::max()) {
        Check(integer == std::numeric_limits<std::int32_t>::max(), "TextToInt saturates upward");
    } else if (truncated <= std::numeric_limits<std::int32_t>::min()) {
        Check(integer == std::numeric_limits<std::int32_t>::min(), "TextToInt saturates downward");
    } else {
        Check(integer == static_cast<std::int32_t>(truncated), "TextToInt truncates");
    }
    const auto small = static_cast<std::int32_t>(number);
    const std::string printed = DecimalText(small);
    Check(TextToInt(printed) == small, "a printed number reads back");
    std::string fullWidth;
    for (const char c : printed) {
        fullWidth += '\xA3';
        fullWidth += static_cast<char>(static_cast<unsigned char>(c) + 0x80);
    }
    Check(TextToInt(fullWidth) == small, "full-width digits read as ASCII ones");
    Check(TextToInt(printed + '/' + std::string(in.text)) == small,
          "a number ends at the first byte that cannot continue it");

    const std::string bytes = BytesToText(in.parameters);
    Check(bytes == in.parameters.substr(0, in.parameters.find('\0')), "BytesToText stops at 0");
}

void CheckUrl(std::string_view url) {
    const std::string host = UrlHost(url);
    Check(host.size() <= url.size(), "the host is a part of the URL");
    for (std::size_t i = 0; i < host.size();
         i += IsGbkLeadByte(static_cast<unsigned char>(host[i])) ? 2 : 1) {
        Check(host[i] < 'A' || host[i] > 'Z', "the host has no ASCII capitals");
        Check(host[i] != '/', "the host holds no slash");
    }
    const int port = UrlPort(url);
    if (url.find(':') == std::string_view::npos) {
        Check(port == 80, "the port is 80 without a colon");
    }
    const std::string object = UrlObject(url);
    Check(!object.empty() && object[0] == '/', "the object path begins with a slash");
    Check(object == "/" ||
              (object.size() <= url.size() && url.substr(url.size() - object.size()) == object),
          "the object path is the end of the URL");
    if (url.find('/') == std::string_view::npos) {
        Check(object == "/", "a URL without a slash has the object /");
    }
}

void CheckGbk(std::string_view data) {
    const std::string utf8 = GbkToUtf8(data);
    Check(IsValidUtf8(utf8), "GBK turns into valid UTF-8");
    Check(Utf8ToGbk(utf8) == data, "GBK -> UTF-8 -> GBK keeps every byte");
    // Any bytes taken as UTF-8: at most one GBK character (two bytes) per code point.
    const std::string gbk = Utf8ToGbk(data);
    Check(gbk.size() <= 2 * data.size(), "UTF-8 -> GBK stays in proportion");
    // U+F780 to U+F7FF stand for single bytes, and two of them in a row may form a character.
    const bool holdsByteEscapes = data.find("\xEF\x9E") != std::string_view::npos ||
                                  data.find("\xEF\x9F") != std::string_view::npos;
    if (IsValidUtf8(data) && !holdsByteEscapes && gbk.find('?') == std::string::npos) {
        Check(GbkToUtf8(gbk) == data, "UTF-8 that GBK holds comes back unchanged");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const Input in = Split(bytes);
    CheckUrl(in.text);
    CheckUrl(bytes);
    CheckGbk(bytes);
    CheckTextHelpers(in);
    return 0;
}
