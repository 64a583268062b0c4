#include "common/text.h"

#include <gtest/gtest.h>

#include <limits>

#include "common/gbk.h"

namespace miyoutong {
namespace {

TEST(FindText, Table) {
    // "中" is D6 D0, "文" is CE C4; "\xD0\xCE" spans their boundary and must not be found.
    const std::string chinese = Gbk("中文");
    struct Case {
        std::string text, sought;
        int start, expected;
    };
    const Case cases[] = {
        {"abcabc", "c", 1, 3},
        {"abcabc", "c", 4, 6},
        {"abcabc", "c", 7, -1},
        {"abcabc", "x", 1, -1},
        {"abcabc", "abc", 0, 1},         // a start before 1 searches from the first byte
        {"abc", "", 1, 1},
        {"", "", 1, -1},
        {"", "a", 1, -1},
        {chinese, "\xD0\xCE", 1, -1},    // never inside a double-byte character
        {chinese, Gbk("文"), 1, 3},
        {"x" + chinese + "\xD0\xCE", "\xD0\xCE", 1, 6},
        {Gbk("非常抱歉") + "a", "a", 1, 9},
        {"\xD6", "\xD6", 1, 1},          // a lone lead byte at the end is a character itself
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FindText(c.text, c.sought, c.start), c.expected)
            << "text=" << c.text << " sought=" << c.sought << " start=" << c.start;
    }
}

TEST(FindText, NoCaseFoldsAsciiOnly) {
    EXPECT_EQ(FindTextNoCase("xHTTP://a", "http://"), 2);
    EXPECT_EQ(FindTextNoCase("Accept: x", "accept: "), 1);
    EXPECT_EQ(FindText("Accept: x", "accept: "), -1);
    // Full-width letters are not folded: "Ａ" (A3C1) does not match "ａ" (A3E1).
    EXPECT_EQ(FindTextNoCase(Gbk("Ａ"), Gbk("ａ")), -1);
}

TEST(Mid, Table) {
    struct Case {
        int start, length;
        std::string expected;
    };
    const Case cases[] = {
        {1, 3, "abc"}, {2, 2, "bc"}, {5, 1, "e"},  {5, 9, "e"}, {0, 3, ""},
        {6, 1, ""},    {1, 0, ""},   {1, -1, ""},  {-3, 2, ""}, {3, 100, "cde"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Mid("abcde", c.start, c.length), c.expected) << c.start << "," << c.length;
    }
    EXPECT_EQ(Mid("", 1, 1), "");
}

TEST(DecimalText, Table) {
    EXPECT_EQ(DecimalText(-1), "-1");
    EXPECT_EQ(DecimalText(0), "0");
    EXPECT_EQ(DecimalText(25), "25");
    EXPECT_EQ(DecimalText(std::numeric_limits<long long>::min()), "-9223372036854775808");
}

TEST(TextToNumber, Table) {
    struct Case {
        std::string text;
        std::int32_t expected;
    };
    constexpr auto kMax = std::numeric_limits<std::int32_t>::max();
    constexpr auto kMin = std::numeric_limits<std::int32_t>::min();
    const Case cases[] = {
        {"7", 7},
        {"07", 7},
        {"7.9", 7},
        {"12.9", 12},
        {"-3.7", -3},
        {"", 0},
        {"abc", 0},
        {" 42", 42},
        {"\t\r\n 42x", 42},
        {"5e2", 500},
        {"5e", 5},          // an exponent without digits is not read
        {"5e+", 5},
        {"1.5E1", 15},
        {"+8080", 8080},
        {"8080.9", 8080},
        {".5", 0},
        {"-.5", 0},
        {"-", 0},
        {".", 0},
        {"0x1A", 0},        // no hexadecimal
        {"inf", 0},
        {"nan", 0},
        {"1e400", kMax},    // overflow saturates
        {"-1e400", kMin},
        {"1e-400", 0},
        {"99999999999", kMax},
        {"-2147483648", kMin},
        {"2147483647", kMax},
        {"-2147483647.9", -2147483647},
        {std::string(5000, '9'), kMax},
        {Gbk("１２３"), 123},            // full-width digits
        {Gbk("－４５．６"), -45},         // full-width sign and point
        {Gbk("　８０"), 80},              // full-width blank skipped
        {Gbk("８") + "0" + Gbk("ｅ２"), 8000},
        {Gbk("中12"), 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TextToInt(c.text), c.expected) << "text=" << c.text.substr(0, 40);
    }
    EXPECT_DOUBLE_EQ(TextToNumber("7.9"), 7.9);
}

TEST(BytesToText, StopsAtTheFirstZeroByte) {
    EXPECT_EQ(BytesToText(Bytes{'a', 'b', 0, 'c'}), "ab");
    EXPECT_EQ(BytesToText(Bytes{0, 'c'}), "");
    EXPECT_EQ(BytesToText(Bytes{}), "");
    EXPECT_EQ(BytesToText(Bytes{0xB0, 0xA1}), "\xB0\xA1");
}

TEST(AsciiCase, LeavesDoubleByteCharactersAlone) {
    // Full-width letters and Chinese characters are kept byte for byte.
    const std::string text = "Http" + Gbk("中文Ｈ");
    EXPECT_EQ(AsciiLower(text), "http" + Gbk("中文Ｈ"));
    EXPECT_EQ(AsciiUpper(text), "HTTP" + Gbk("中文Ｈ"));
    // "丄" is 81 41 and "乤" 81 61: the second byte looks like a letter but is not one.
    EXPECT_EQ(AsciiLower("X\x81\x41"), "x\x81\x41");
    EXPECT_EQ(AsciiUpper("x\x81\x61"), "X\x81\x61");
    EXPECT_EQ(FindTextNoCase("\x81\x61", "\x81\x41"), -1);
}

}  // namespace
}  // namespace miyoutong
