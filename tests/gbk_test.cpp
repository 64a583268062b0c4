#include "common/gbk.h"

#include <gtest/gtest.h>

#include <random>

namespace miyoutong {
namespace {

TEST(Gbk, KnownCharacters) {
    EXPECT_EQ(Gbk("中文"), "\xD6\xD0\xCE\xC4");
    EXPECT_EQ(Gbk("，"), "\xA3\xAC");
    EXPECT_EQ(Gbk("诚信值："), "\xB3\xCF\xD0\xC5\xD6\xB5\xA3\xBA");
    EXPECT_EQ(GbkToUtf8("\xD6\xD0\xCE\xC4"), "中文");
    EXPECT_EQ(GbkToUtf8(std::string("a\0b", 3)), std::string("a\0b", 3));
    EXPECT_EQ(Gbk("€"), "\x80");
    EXPECT_EQ(Gbk("\xF0\x9F\x98\x80"), "?");  // no GBK form
    EXPECT_EQ(Gbk("\xFF"), "?");              // malformed UTF-8
}

TEST(Gbk, BytesThatAreNotGbkSurviveARoundTrip) {
    const std::string cases[] = {
        "\xFF",
        "\x81",                  // lone lead byte at the end
        "\x81\x20",              // lead byte with an invalid trail
        "\xAA\xA1",              // user-defined area, unknown to the table
        "a\xFE\xFF\xFF" "b",
        std::string("\xD6\0", 2),
    };
    for (const std::string& bytes : cases) {
        EXPECT_EQ(Utf8ToGbk(GbkToUtf8(bytes)), bytes);
    }
    // A byte that is not GBK becomes a private-use escape, one code point per byte.
    EXPECT_EQ(GbkToUtf8("\xFF"), "\xEF\x9F\xBF");
}

TEST(Gbk, EveryTwoByteSequenceSurvivesARoundTrip) {
    std::string all;
    for (int a = 0; a < 256; ++a) {
        for (int b = 0; b < 256; ++b) {
            all += static_cast<char>(a);
            all += static_cast<char>(b);
        }
    }
    EXPECT_EQ(Utf8ToGbk(GbkToUtf8(all)), all);
}

TEST(Gbk, RandomBytesSurviveARoundTrip) {
    std::mt19937 random(12345);
    for (int i = 0; i < 200; ++i) {
        std::string bytes(random() % 300, '\0');
        for (char& c : bytes) {
            c = static_cast<char>(random());
        }
        ASSERT_EQ(Utf8ToGbk(GbkToUtf8(bytes)), bytes);
    }
}

TEST(Gbk, DecodedTextIsValidUtf8) {
    std::string all;
    for (int a = 0x80; a < 256; ++a) {
        all += static_cast<char>(a);
        all += static_cast<char>(0x41);
    }
    const std::string utf8 = GbkToUtf8(all);
    // Re-encoding to GBK and back yields the same UTF-8: every sequence was well formed.
    EXPECT_EQ(GbkToUtf8(Utf8ToGbk(utf8)), utf8);
}

}  // namespace
}  // namespace miyoutong
