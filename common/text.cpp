#include "common/text.h"

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <locale.h>

namespace miyoutong {

namespace {

// Finds `sought` at a character boundary of `text` at or after the 0-based `from`. Candidates
// come from a plain byte search; a boundary scanner that only moves forward rejects those that
// start on the second byte of a double-byte character, so the whole search stays linear.
int FindAtBoundary(std::string_view text, std::string_view sought, int start) {
    if (text.empty() || start > static_cast<int>(text.size())) {
        return -1;
    }
    const size_t from = start < 1 ? 0 : static_cast<size_t>(start - 1);
    size_t boundary = 0;
    size_t candidate = text.find(sought, from);
    while (candidate != std::string_view::npos) {
        while (boundary < candidate) {
            boundary += IsGbkLeadByte(static_cast<unsigned char>(text[boundary])) ? 2 : 1;
        }
        if (boundary == candidate) {
            return static_cast<int>(candidate) + 1;
        }
        candidate = text.find(sought, candidate + 1);
    }
    return -1;
}

// Reads a GBK text one character at a time, giving full-width ASCII forms (and the full-width
// blank) as their ASCII byte, and 0 for any other double-byte character.
class NarrowingReader {
public:
    explicit NarrowingReader(std::string_view text) : text_(text) {}

    bool AtEnd() const { return pos_ >= text_.size(); }

    char Peek() const {
        const auto lead = static_cast<unsigned char>(text_[pos_]);
        if (!IsGbkLeadByte(lead) || pos_ + 1 >= text_.size()) {
            return static_cast<char>(lead);
        }
        const auto trail = static_cast<unsigned char>(text_[pos_ + 1]);
        if (lead == 0xA3 && trail >= 0xA1 && trail <= 0xFE) {
            return static_cast<char>(trail - 0x80);
        }
        if (lead == 0xA1 && trail == 0xA1) {
            return ' ';
        }
        return 0;
    }

    void Next() {
        pos_ += IsGbkLeadByte(static_cast<unsigned char>(text_[pos_])) && pos_ + 1 < text_.size()
                    ? 2
                    : 1;
    }

private:
    std::string_view text_;
    size_t pos_ = 0;
};

bool IsBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Appends the digits under the reader to `out`; returns how many there were.
int TakeDigits(NarrowingReader& reader, std::string& out) {
    int count = 0;
    while (!reader.AtEnd() && IsDigit(reader.Peek())) {
        out += reader.Peek();
        reader.Next();
        ++count;
    }
    return count;
}

// The number at the start of the text as plain ASCII ("-12.5e3"), or empty when there is none.
std::string NumberPrefix(std::string_view text) {
    NarrowingReader reader(text);
    while (!reader.AtEnd() && IsBlank(reader.Peek())) {
        reader.Next();
    }
    std::string number;
    if (!reader.AtEnd() && (reader.Peek() == '+' || reader.Peek() == '-')) {
        number += reader.Peek();
        reader.Next();
    }
    int digits = TakeDigits(reader, number);
    if (!reader.AtEnd() && reader.Peek() == '.') {
        number += '.';
        reader.Next();
        digits += TakeDigits(reader, number);
    }
    if (digits == 0) {
        return {};
    }
    if (!reader.AtEnd() && (reader.Peek() == 'e' || reader.Peek() == 'E')) {
        // The exponent counts only when at least one digit follows it.
        NarrowingReader probe = reader;
        std::string exponent = "e";
        probe.Next();
        if (!probe.AtEnd() && (probe.Peek() == '+' || probe.Peek() == '-')) {
            exponent += probe.Peek();
            probe.Next();
        }
        if (TakeDigits(probe, exponent) > 0) {
            number += exponent;
        }
    }
    return number;
}

locale_t CLocale() {
    static const locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
    return locale;
}

}  // namespace

int FindText(std::string_view text, std::string_view sought, int start) {
    return FindAtBoundary(text, sought, start);
}

int FindTextNoCase(std::string_view text, std::string_view sought, int start) {
    return FindAtBoundary(AsciiLower(text), AsciiLower(sought), start);
}

std::string Mid(std::string_view text, int start, int length) {
    const auto size = static_cast<long long>(text.size());
    if (start < 1 || start > size || length <= 0) {
        return {};
    }
    return std::string(text.substr(static_cast<size_t>(start - 1), static_cast<size_t>(length)));
}

std::string DecimalText(long long value) { return std::to_string(value); }

namespace {

// Changes the ASCII letters in `from` by `delta`, stepping over double-byte characters, whose
// second byte may fall in the ASCII letter range.
std::string ShiftAsciiLetters(std::string_view text, char from, int delta) {
    std::string out(text);
    for (size_t i = 0; i < out.size(); ++i) {
        if (IsGbkLeadByte(static_cast<unsigned char>(out[i]))) {
            ++i;
        } else if (out[i] >= from && out[i] <= from + 25) {
            out[i] = static_cast<char>(out[i] + delta);
        }
    }
    return out;
}

}  // namespace

std::string AsciiLower(std::string_view text) { return ShiftAsciiLetters(text, 'A', 'a' - 'A'); }

std::string AsciiUpper(std::string_view text) { return ShiftAsciiLetters(text, 'a', 'A' - 'a'); }

double TextToNumber(std::string_view text) {
    const std::string number = NumberPrefix(text);
    if (number.empty()) {
        return 0.0;
    }
    // strtod_l with the C locale: the process locale (set by Qt) must not change the decimal
    // point. Overflow gives +-HUGE_VAL, underflow 0.
    return strtod_l(number.c_str(), nullptr, CLocale());
}

std::int32_t TextToInt(std::string_view text) {
    const double value = std::trunc(TextToNumber(text));
    if (value >= static_cast<double>(std::numeric_limits<std::int32_t>::max())) {
        return std::numeric_limits<std::int32_t>::max();
    }
    if (value <= static_cast<double>(std::numeric_limits<std::int32_t>::min())) {
        return std::numeric_limits<std::int32_t>::min();
    }
    return static_cast<std::int32_t>(value);
}

std::string BytesToText(std::string_view bytes) {
    return std::string(bytes.substr(0, bytes.find('\0')));
}

std::string BytesToText(const Bytes& bytes) {
    return BytesToText(
        std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

}  // namespace miyoutong
