#include "search/page_cut.h"

#include <gtest/gtest.h>

#include "common/gbk.h"
#include "common/text.h"
#include "support/run_program.h"

namespace miyoutong {
namespace {

const std::string kBegin = Gbk("<!--会员信息 begin-->");
const std::string kEnd = Gbk("<!--会员信息 end-->");
const std::string kNoResult = Gbk("非常抱歉，找不到您要求的结果");

TEST(PageCut, TextsAreTheServicesGbkBytes) {
    EXPECT_EQ(MemberBlockBeginMarker(), kBegin);
    EXPECT_EQ(MemberBlockEndMarker(), kEnd);
    EXPECT_EQ(NoResultText(), kNoResult);
    EXPECT_EQ(kBegin.size(), 21u);
    EXPECT_EQ(kEnd.size(), 19u);
    EXPECT_EQ(kNoResult.size(), 28u);
}

struct NoResultCase {
    std::string page;
    bool holds;
};

TEST(HoldsNoResultText, FindsTheTextAnywhereAtACharacterBoundary) {
    const NoResultCase cases[] = {
        {kNoResult, true},  // position 1 counts
        {Gbk("<p>") + kNoResult + Gbk("，请放宽条件</p>"), true},
        {Gbk("<html>") + kBegin + kEnd, false},
        {"", false},
        {kNoResult.substr(0, 27), false},
        // The text's first byte would be the trail byte of a double-byte character.
        {"\xB0" + kNoResult.substr(0, 28), false},
        {Gbk("非常抱歉，找不到"), false},
    };
    for (const NoResultCase& c : cases) {
        EXPECT_EQ(HoldsNoResultText(c.page), c.holds) << GbkToUtf8(c.page);
    }
}

struct CutCase {
    std::string name;
    std::string page;
    std::string block;
};

TEST(CutMemberBlock, TakesTheTextStrictlyBetweenTheMarkers) {
    const std::string x = Gbk("<li>会员</li>\r\n");
    const std::string twenty = "0123456789abcdefghij";  // 20 bytes
    const CutCase cases[] = {
        {"enclosed", Gbk("<html>") + kBegin + x + kEnd + "</html>", x},
        {"adjacent markers", kBegin + kEnd, ""},
        {"first markers count", kBegin + "a" + kEnd + kBegin + "b" + kEnd, "a"},
        {"no end marker", Gbk("<html>") + kBegin + x, ""},
        {"end before begin", kEnd + x + kBegin + x, ""},
        {"no markers", x + x, ""},
        {"empty page", "", ""},
        // No begin marker: b = -1, so the block is bytes 20 .. e - 1.
        {"no begin marker", twenty + "KLMN" + kEnd, "jKLMN"},
        {"no begin marker, e = 21", twenty + kEnd, "j"},
        {"no begin marker, e = 20", twenty.substr(0, 19) + kEnd, ""},
        {"no begin marker, e = 1", kEnd + twenty, ""},
    };
    for (const CutCase& c : cases) {
        EXPECT_EQ(CutMemberBlock(c.page), c.block) << c.name;
    }
}

TEST(CutMemberBlock, CutsTheFixturePage) {
    const std::string page =
        testing_support::ReadWholeFile(MIYOUTONG_FIXTURES_DIR "/search/result_page_20.html");
    ASSERT_FALSE(page.empty());
    EXPECT_FALSE(HoldsNoResultText(page));
    const std::string block = CutMemberBlock(page);
    EXPECT_EQ(block.find(kBegin), std::string::npos);
    EXPECT_EQ(block.find(kEnd), std::string::npos);
    EXPECT_EQ(block, page.substr(page.find(kBegin) + 21, page.find(kEnd) - page.find(kBegin) - 21));
    int entries = 0;
    for (int at = FindText(block, "lastlogindesc_"); at > 0;
         at = FindText(block, "lastlogindesc_", at + 1)) {
        ++entries;
    }
    EXPECT_EQ(entries, 20);

    EXPECT_TRUE(HoldsNoResultText(
        testing_support::ReadWholeFile(MIYOUTONG_FIXTURES_DIR "/search/no_result_page.html")));
}

}  // namespace
}  // namespace miyoutong
