#include "search/result_parser.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <random>
#include <sstream>
#include <thread>

#include "common/gbk.h"
#include "common/memory_control_surface.h"
#include "search/member_entry_pattern.h"
#include "search/page_cut.h"
#include "search/regex_holder.h"
#include "support/run_program.h"

namespace miyoutong {
namespace {

using testing_support::ReadWholeFile;
using testing_support::RunProgram;

// The fields of one entry (UTF-8) and the HTML the service writes for it (GBK).
struct Entry {
    std::string id = "20877410";
    std::string nickname = "Lily_七月";
    std::string ageAndRegion = "24岁，北京 朝阳";
    std::string integrity = "3";
    std::string photo = "http://127.0.0.1:18080/photo/2087/20877410_2.jpg";
};

std::string EntryHtml(const Entry& e) {
    return Gbk("<li class=\"member\">\r\n<img src=\"" + e.photo + "\" alt=\"" + e.nickname +
               "\" class=\"photo\" />\r\n<p>\r\n<span id=\"lastlogindesc_" + e.id + "\">" +
               e.ageAndRegion +
               "</span></p>\r\n<p><span class='integrity clearfix'><span class='fLefts'>诚信值："
               "</span><em class='integrity_" +
               e.integrity + "'><span>" + e.integrity + "</span></em></span></p>\r\n</li>\r\n");
}

std::string EntryHtml() {
    return EntryHtml(Entry{});
}

// Columns 0 to 8 of a row, as UTF-8.
std::vector<std::string> Row(MemoryControlSurface& controls, int row) {
    std::vector<std::string> cells;
    for (int column = 0; column < kResultColumnCount; ++column) {
        cells.push_back(GbkToUtf8(controls.CellText(row, column)));
    }
    return cells;
}

class ResultParserTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(regex_.Create());
        for (const char* item : {"请选择", "男", "女"}) {
            controls_.ComboAddItem(Control::组合框_性别, Gbk(item));
        }
        controls_.ComboSelect(Control::组合框_性别, 2);
    }

    void Parse(const std::string& block) { ParseResultBlock(controls_, regex_, block); }

    RegexHolder regex_;
    MemoryControlSurface controls_;
};

TEST(MemberEntryPattern, IsTheServicesPattern) {
    const std::string gbk = Gbk(kMemberEntryPattern);
    EXPECT_EQ(gbk.size(), 279u);
    EXPECT_EQ(GbkToUtf8(gbk), kMemberEntryPattern);
    const auto characters = std::count_if(kMemberEntryPattern.begin(), kMemberEntryPattern.end(),
                                          [](char c) { return (c & 0xC0) != 0x80; });
    EXPECT_EQ(characters, 274);
}

TEST_F(ResultParserTest, WritesOneRowPerEntry) {
    controls_.SetChecked(Control::选择框2, true);
    Parse(EntryHtml());
    ASSERT_EQ(controls_.RowCount(), 1);
    EXPECT_EQ(Row(controls_, 0),
              (std::vector<std::string>{"0", "20877410", "Lily_七月", "24岁", "北京 朝阳", "3",
                                        "http://127.0.0.1:18080/photo/2087/20877410_2.jpg",
                                        "等待下载", ""}));
    EXPECT_EQ(GbkToUtf8(controls_.Caption(Control::标签11)), "已搜索到：1个美女");
}

struct EdgeCase {
    std::string name;
    std::string block;                           // GBK
    std::vector<std::vector<std::string>> rows;  // columns 1 to 6, UTF-8
};

std::string Capitalised() {
    return Gbk(
        "<IMG SRC=\"http://h/P.JPG\" ALT=\"Bob\" CLASS=\"PHOTO\" />\n<P>\n"
        "<SPAN ID=\"LASTLOGINDESC_42\">30岁，上海</SPAN></P>\n"
        "<P><SPAN CLASS='INTEGRITY CLEARFIX'><SPAN CLASS='FLEFTS'>诚信值：</SPAN>"
        "<EM CLASS='I2'><SPAN>2</SPAN></EM></SPAN></P>");
}

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    text.replace(text.find(from), from.size(), to);
    return text;
}

TEST_F(ResultParserTest, EdgeCasesOfTheEntry) {
    Entry twoCommas;
    twoCommas.ageAndRegion = "24岁，北京，朝阳";
    Entry emptyGroups;
    emptyGroups.nickname = "";
    emptyGroups.ageAndRegion = "，";
    emptyGroups.integrity = "";
    const std::vector<std::string> standard = {
        "20877410",  "Lily_七月", "24岁",
        "北京 朝阳", "3",         "http://127.0.0.1:18080/photo/2087/20877410_2.jpg"};
    const EdgeCase cases[] = {
        {"plain", EntryHtml(), {standard}},
        {"capitals", Capitalised(), {{"42", "Bob", "30岁", "上海", "2", "http://h/P.JPG"}}},
        {"two full-width commas",
         EntryHtml(twoCommas),
         {{"20877410", "Lily_七月", "24岁", "北京，朝阳", "3",
           "http://127.0.0.1:18080/photo/2087/20877410_2.jpg"}}},
        {"empty groups",
         EntryHtml(emptyGroups),
         {{"20877410", "", "", "", "", "http://127.0.0.1:18080/photo/2087/20877410_2.jpg"}}},
        {"two blanks between img and src", Replaced(EntryHtml(), "img src", "img  src"), {}},
        {"full-width space is no blank", Replaced(EntryHtml(), "img src", Gbk("img　src")), {}},
        {"no blank before />", Replaced(EntryHtml(), "\" />", "\"/>"), {}},
        {"line feed inside a group", Replaced(EntryHtml(), "Lily", "Li\nly"), {}},
        {"line feeds and tabs between the parts",
         Replaced(Replaced(EntryHtml(), "\r\n<p>\r\n", "\n\t\v\f <p>\t\t"), "\r\n<p><span",
                  "\r\n\r\n<p><span"),
         {standard}},
        {"ascii comma is no separator", Replaced(EntryHtml(), Gbk("，"), ","), {}},
        {"half an entry", EntryHtml().substr(0, 200), {}},
        {"empty block", "", {}},
        {"two entries", EntryHtml() + "<li>ad</li>" + EntryHtml(), {standard, standard}},
    };
    for (const EdgeCase& c : cases) {
        controls_.DeleteAllRows();
        Parse(c.block);
        ASSERT_EQ(controls_.RowCount(), static_cast<int>(c.rows.size())) << c.name;
        for (size_t row = 0; row < c.rows.size(); ++row) {
            std::vector<std::string> cells = Row(controls_, static_cast<int>(row));
            EXPECT_EQ(std::vector<std::string>(cells.begin() + 1, cells.begin() + 7), c.rows[row])
                << c.name;
        }
    }
}

TEST_F(ResultParserTest, NumbersRowsOnFromTheListsEnd) {
    for (int i = 0; i < 10; ++i) {
        controls_.InsertRow(-1, "old");
    }
    Parse(EntryHtml() + EntryHtml() + EntryHtml());
    ASSERT_EQ(controls_.RowCount(), 13);
    for (int row = 10; row < 13; ++row) {
        EXPECT_EQ(controls_.CellText(row, 0), std::to_string(row));
        EXPECT_EQ(controls_.CellText(row, 1), "20877410");
    }
    EXPECT_EQ(controls_.CellText(9, 0), "old");
    EXPECT_EQ(controls_.CellText(9, 1), "");
}

struct LabelCase {
    int genderIndex;
    std::string label;  // "" = untouched
};

TEST_F(ResultParserTest, CountLabelFollowsTheGender) {
    const LabelCase cases[] = {
        {2, "已搜索到：25个美女"},
        {1, "已搜索到：25个帅哥"},
        {0, "before"},
        {-1, "before"},
    };
    for (const LabelCase& c : cases) {
        controls_.DeleteAllRows();
        controls_.SetCaption(Control::标签11, Gbk("before"));
        controls_.ComboSelect(Control::组合框_性别, c.genderIndex);
        for (int i = 0; i < 24; ++i) {
            controls_.InsertRow(-1, "old");
        }
        Parse(EntryHtml());
        EXPECT_EQ(GbkToUtf8(controls_.Caption(Control::标签11)), c.label) << c.genderIndex;
    }
}

TEST_F(ResultParserTest, DownloadStateFollowsTheCheckBox) {
    for (const bool ticked : {true, false}) {
        controls_.DeleteAllRows();
        controls_.SetChecked(Control::选择框2, ticked);
        Parse(EntryHtml() + EntryHtml());
        for (int row = 0; row < 2; ++row) {
            EXPECT_EQ(GbkToUtf8(controls_.CellText(row, 7)), ticked ? "等待下载" : "禁止下载");
            EXPECT_EQ(controls_.CellText(row, 8), "");
        }
    }
}

TEST_F(ResultParserTest, EmptyBlockLeavesListAndLabelAlone) {
    controls_.InsertRow(-1, "old");
    controls_.SetCaption(Control::标签11, "kept");
    Parse("");
    Parse(Gbk("<ul class=\"member_list\"></ul>"));
    EXPECT_EQ(controls_.RowCount(), 1);
    EXPECT_EQ(controls_.Caption(Control::标签11), "kept");
}

TEST_F(ResultParserTest, EmptyHolderFindsNothing) {
    RegexHolder empty;
    EXPECT_TRUE(empty.Empty());
    ParseResultBlock(controls_, empty, EntryHtml());
    EXPECT_EQ(controls_.RowCount(), 0);

    regex_.Release();
    EXPECT_TRUE(regex_.Empty());
    Parse(EntryHtml());
    EXPECT_EQ(controls_.RowCount(), 0);
}

// Records the order of the writes to the list and the label.
class RecordingSurface : public MemoryControlSurface {
public:
    int InsertRow(int index, const std::string& first) override {
        log.push_back("insert " + std::to_string(index) + " " + first);
        return MemoryControlSurface::InsertRow(index, first);
    }
    void SetCellText(int row, int column, const std::string& text) override {
        log.push_back("cell " + std::to_string(row) + "," + std::to_string(column));
        MemoryControlSurface::SetCellText(row, column, text);
    }
    void SetCaption(Control control, const std::string& text) override {
        log.push_back("label " + std::string(ControlName(control)) + " " + GbkToUtf8(text));
        MemoryControlSurface::SetCaption(control, text);
    }
    std::vector<std::string> log;
};

TEST(ResultParser, WritesEachRowWholeBeforeTheNext) {
    RegexHolder regex;
    ASSERT_TRUE(regex.Create());
    RecordingSurface controls;
    for (const char* item : {"请选择", "男", "女"}) {
        controls.ComboAddItem(Control::组合框_性别, Gbk(item));
    }
    controls.ComboSelect(Control::组合框_性别, 1);
    ParseResultBlock(controls, regex, EntryHtml() + EntryHtml());
    std::vector<std::string> expected;
    for (const int row : {0, 1}) {
        const std::string r = std::to_string(row);
        expected.push_back("insert " + r + " " + r);
        for (int column = 1; column <= 7; ++column) {
            expected.push_back("cell " + r + "," + std::to_string(column));
        }
        expected.push_back("label 标签11 已搜索到：" + std::to_string(row + 1) + "个帅哥");
    }
    EXPECT_EQ(controls.log, expected);
}

TEST_F(ResultParserTest, FieldsKeepEveryByteOfThePage) {
    // Bytes that are not GBK, a NUL, a CR and a lone lead byte inside the fields.
    const std::string nickname = std::string("a\xFF", 2) + std::string(1, '\0') + "\r\x80z";
    const std::string region = "\xAA\xA1\xFE";
    std::string block = Replaced(EntryHtml(), "Lily_", "");
    block = Replaced(block, Gbk("七月"), nickname);
    block = Replaced(block, Gbk("北京 朝阳"), region);
    Parse(block);
    ASSERT_EQ(controls_.RowCount(), 1);
    EXPECT_EQ(controls_.CellText(0, 2), nickname);
    EXPECT_EQ(controls_.CellText(0, 4), region);
}

TEST_F(ResultParserTest, ParsesTheFixturePage) {
    const std::string page = ReadWholeFile(MIYOUTONG_FIXTURES_DIR "/search/result_page_20.html");
    std::istringstream expected(ReadWholeFile(MIYOUTONG_FIXTURES_DIR "/search/result_page_20.tsv"));
    ParseResultBlock(controls_, regex_, CutMemberBlock(page));
    ASSERT_EQ(controls_.RowCount(), 20);
    std::string line;
    for (int row = 0; std::getline(expected, line); ++row) {
        std::vector<std::string> cells = Row(controls_, row);
        std::string joined;
        for (int column = 1; column <= 6; ++column) {
            joined += (column > 1 ? "\t" : "") + cells[column];
        }
        EXPECT_EQ(joined, line) << row;
        EXPECT_EQ(cells[0], std::to_string(row));
    }
    EXPECT_EQ(GbkToUtf8(controls_.Caption(Control::标签11)), "已搜索到：20个美女");

    // The recommended member beside the block is an entry too: only the cut keeps it out.
    controls_.DeleteAllRows();
    ParseResultBlock(controls_, regex_, page);
    EXPECT_EQ(controls_.RowCount(), 21);
}

// Matching semantics, checked on small patterns compiled with the same options.
struct SemanticsCase {
    std::string pattern;
    std::string subject;  // UTF-8
    bool matches;
};

TEST(RegexHolder, MatchingSemantics) {
    const SemanticsCase cases[] = {
        {R"(a\sb)", "a b", true},
        {R"(a\sb)", "a\tb", true},
        {R"(a\sb)", "a\nb", true},
        {R"(a\sb)", "a\vb", true},
        {R"(a\sb)", "a\fb", true},
        {R"(a\sb)", "a\rb", true},
        {R"(a\sb)", "a\u3000b", false},  // full-width space
        {R"(a\sb)", "a\u00A0b", false},
        {R"(a\sb)", "a\u0085b", false},
        {R"(a\sb)", "a\u2028b", false},
        {R"(a\s+b)", "a \r\n\tb", true},
        {R"(a.b)", "a\rb", true},
        {R"(a.b)", "a\u0085b", true},
        {R"(a.b)", "a\u2028b", true},
        {R"(a.b)", "a\u2029b", true},
        {R"(a.b)", std::string("a\0b", 3), true},
        {R"(a.b)", "a\nb", false},
        {R"(a.b)", "a\u4E2Db", true},  // one character, three bytes
        {R"(a.b)", "a\u4E2D\u6587b", false},
        {R"(\<p\>)", "<P>", true},  // literal brackets, any case
        {R"(\<p\>)", "p", false},   // not word boundaries
        {R"(\/)", "/", true},
        {"CLASS='x'", "class='X'", true},
        {"诚信值：", "诚信值：", true},
    };
    for (const SemanticsCase& c : cases) {
        RegexHolder regex;
        ASSERT_TRUE(regex.Create(c.pattern)) << c.pattern;
        int matches = 0;
        EXPECT_EQ(regex.ForEachMatch(c.subject, [&](RegexHolder::Groups) { ++matches; }),
                  RegexHolder::MatchEnd::Complete);
        EXPECT_EQ(matches > 0, c.matches)
            << c.pattern << " on " << ::testing::PrintToString(c.subject);
    }
}

TEST(RegexHolder, GroupsAreLazyAndMatchesDoNotOverlap) {
    RegexHolder regex;
    ASSERT_TRUE(regex.Create(R"re("(.*?)"(x?))re"));
    std::vector<std::vector<std::string>> found;
    EXPECT_EQ(regex.ForEachMatch(R"("a" "bc"x "")",
                                 [&](RegexHolder::Groups groups) {
                                     found.emplace_back(groups.begin(), groups.end());
                                 }),
              RegexHolder::MatchEnd::Complete);
    EXPECT_EQ(found, (std::vector<std::vector<std::string>>{{"a", ""}, {"bc", "x"}, {"", ""}}));

    // An empty match moves on by one character, never into the middle of one.
    ASSERT_TRUE(regex.Create("x*"));
    int matches = 0;
    EXPECT_EQ(regex.ForEachMatch("中x", [&](RegexHolder::Groups) { ++matches; }),
              RegexHolder::MatchEnd::Complete);
    EXPECT_EQ(matches, 3);
}

// Caseless matching folds some non-ASCII letters onto ASCII ones (U+017F onto s, U+212A onto
// k); no GBK text holds them, so only ASCII letters fold in a converted page.
TEST(RegexHolder, NoGbkCharacterFoldsOntoAnAsciiLetter) {
    std::string all;
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
        for (int trail = 0x40; trail <= 0xFE; ++trail) {
            all += static_cast<char>(lead);
            all += static_cast<char>(trail);
        }
    }
    const std::string text = GbkToUtf8(all);
    EXPECT_EQ(text.find("\u017F"), std::string::npos);
    EXPECT_EQ(text.find("\u212A"), std::string::npos);
}

TEST(RegexHolder, CreateAndRelease) {
    RegexHolder regex;
    EXPECT_TRUE(regex.Empty());
    EXPECT_TRUE(regex.Create());
    EXPECT_FALSE(regex.Empty());
    regex.Release();
    EXPECT_TRUE(regex.Empty());
    regex.Release();
    EXPECT_TRUE(regex.Empty());

    EXPECT_TRUE(regex.Create());
    EXPECT_FALSE(regex.Create("(unclosed"));
    EXPECT_TRUE(regex.Empty());

    RegexHolder::SimulateCreateFailure(true);
    EXPECT_FALSE(regex.Create());
    EXPECT_TRUE(regex.Empty());
    RegexHolder::SimulateCreateFailure(false);
    EXPECT_TRUE(regex.Create());
}

TEST(RegexHolder, InvalidUtf8SubjectFindsNothing) {
    RegexHolder regex;
    ASSERT_TRUE(regex.Create("a"));
    int matches = 0;
    EXPECT_EQ(regex.ForEachMatch("a\xFF"
                                 "a",
                                 [&](RegexHolder::Groups) { ++matches; }),
              RegexHolder::MatchEnd::Failed);
    EXPECT_EQ(matches, 0);
}

TEST(RegexHolder, TwoThreadsMatchAtOnce) {
    RegexHolder regex;
    ASSERT_TRUE(regex.Create());
    std::string block;
    for (int i = 0; i < 200; ++i) {
        block += EntryHtml();
    }
    std::atomic<int> done{0};
    auto parse = [&] {
        for (int round = 0; round < 5; ++round) {
            MemoryControlSurface controls;
            ParseResultBlock(controls, regex, block);
            if (controls.RowCount() == 200 && controls.CellText(199, 0) == "199") {
                ++done;
            }
        }
    };
    std::thread a(parse);
    std::thread b(parse);
    a.join();
    b.join();
    EXPECT_EQ(done.load(), 10);
}

TEST(RegexHolder, ReleaseDuringAMatchIsSafe) {
    RegexHolder regex;
    ASSERT_TRUE(regex.Create());
    std::string block;
    for (int i = 0; i < 2000; ++i) {
        block += EntryHtml();
    }
    MemoryControlSurface controls;
    std::atomic<bool> started{false};
    std::thread worker([&] {
        started = true;
        ParseResultBlock(controls, regex, block);
    });
    while (!started) {
        std::this_thread::yield();
    }
    regex.Release();
    worker.join();
    // The match that had begun finishes with the pattern it started with; later ones find none.
    EXPECT_TRUE(controls.RowCount() == 0 || controls.RowCount() == 2000);
    ParseResultBlock(controls, regex, block);
    EXPECT_TRUE(controls.RowCount() == 0 || controls.RowCount() == 2000);
}

// Hostile blocks: whatever the network sends, parsing ends, keeps what it found and never
// crashes. The test's deadline catches a hang.
class HostileBlockTest : public ResultParserTest {};

TEST_F(HostileBlockTest, SeveralMegabytesOfEntries) {
    std::string block;
    while (block.size() < 6'000'000) {
        block += EntryHtml();
    }
    const int entries = static_cast<int>(block.size() / EntryHtml().size());
    Parse(block);
    EXPECT_EQ(controls_.RowCount(), entries);
    EXPECT_EQ(controls_.CellText(entries - 1, 0), std::to_string(entries - 1));
}

TEST_F(HostileBlockTest, RandomBytesWithEntriesAmongThem) {
    std::mt19937 random(20240601);
    std::string block;
    int planted = 0;
    while (block.size() < 4'000'000) {
        std::string noise(4096, '\0');
        for (char& c : noise) {
            c = static_cast<char>(random());
        }
        // A newline and a safe byte keep the noise from swallowing the entry's first line.
        block += noise + "\n ";
        block += EntryHtml();
        ++planted;
    }
    Parse(block);
    EXPECT_EQ(controls_.RowCount(), planted);
    EXPECT_EQ(controls_.CellText(planted - 1, 1), "20877410");
}

TEST_F(HostileBlockTest, NulBytesEverywhere) {
    std::string block(1'000'000, '\0');
    block += EntryHtml();
    block += std::string(1'000'000, '\0');
    block += Replaced(EntryHtml(), "Lily", std::string("Li\0ly", 5));
    Parse(block);
    ASSERT_EQ(controls_.RowCount(), 2);
    EXPECT_EQ(controls_.CellText(1, 2), Gbk(std::string("Li\0ly_七月", 12)));
}

TEST_F(HostileBlockTest, ThousandsOfNearMatches) {
    // Each copy breaks one byte of the fixed text of the integrity paragraph, a different one
    // from copy to copy, so every attempt runs almost to the end of an entry and fails.
    const std::string entry = EntryHtml();
    const size_t head = entry.find("<p><span class='integrity");
    const size_t headLength =
        std::string("<p><span class='integrity clearfix'><span class='fLefts'>").size();
    const size_t tail = entry.find("</span></em></span></p>");
    std::vector<size_t> breaks;
    for (size_t i = 0; i < headLength; ++i) {
        breaks.push_back(head + i);
    }
    for (size_t i = 0; i < 23; ++i) {
        breaks.push_back(tail + i);
    }
    std::string block;
    for (int i = 0; i < 20000; ++i) {
        std::string broken = entry;
        broken[breaks[i % breaks.size()]] = '#';
        block += broken;
    }
    block += entry;
    Parse(block);
    ASSERT_EQ(controls_.RowCount(), 1);
    EXPECT_EQ(controls_.CellText(0, 0), "0");
}

TEST_F(HostileBlockTest, DeeplyRepeatedParagraphs) {
    std::string manyP;
    for (int i = 0; i < 300000; ++i) {
        manyP += "<p>";
    }
    const std::string head = Gbk("<img src=\"a\" alt=\"b\" class=\"c\" />\n");
    const std::string blocks[] = {
        head + manyP,
        head + Replaced(manyP, "<p><p>", "<p>\n<p>"),
        manyP + "\n" + EntryHtml() + manyP,
        head + "<p>\n" + manyP + EntryHtml(),
    };
    const int rows[] = {0, 0, 1, 1};
    for (size_t i = 0; i < std::size(blocks); ++i) {
        controls_.DeleteAllRows();
        Parse(blocks[i]);
        EXPECT_EQ(controls_.RowCount(), rows[i]) << i;
    }
}

TEST_F(HostileBlockTest, MatchLimitKeepsTheRowsBeforeIt) {
    // One photo URL of two million characters: an attempt that would have to extend its group
    // past the match limit.
    std::string runaway;
    for (int i = 0; i < 200000; ++i) {
        runaway += "img src=\"";
    }
    runaway +=
        Gbk("\" alt=\"x\" class=\"c\" />\n<p>\n<span id=\"lastlogindesc_1\">1，2</span></p>\n"
            "<p><span class='integrity clearfix'><span class='fLefts'>诚信值：</span>"
            "<em class='c'><span>1</span></em></span></p>\n");
    const std::string block = EntryHtml() + EntryHtml() + runaway + EntryHtml();

    int matches = 0;
    EXPECT_EQ(regex_.ForEachMatch(GbkToUtf8(block), [&](RegexHolder::Groups) { ++matches; }),
              RegexHolder::MatchEnd::LimitReached);
    EXPECT_EQ(matches, 2);

    Parse(block);
    EXPECT_EQ(controls_.RowCount(), 2);
    EXPECT_EQ(controls_.CellText(1, 0), "1");
}

// The parser's text comes from GbkToUtf8, so matching leaves out its own UTF-8 check: over blocks
// of every kind (plain entries, random bytes kept as private-use characters, a runaway attempt)
// it finds exactly what the checked matching finds, and ends the same way.
TEST_F(HostileBlockTest, MatchingTheConvertedTextUncheckedFindsTheSame) {
    std::mt19937 random(7);
    std::string noise(20000, '\0');
    for (char& c : noise) {
        c = static_cast<char>(random());
    }
    std::string runaway;
    for (int i = 0; i < 200000; ++i) {
        runaway += "img src=\"";
    }
    const std::string blocks[] = {EntryHtml() + EntryHtml(), noise + EntryHtml() + noise,
                                  EntryHtml() + runaway + EntryHtml(), noise};
    for (const std::string& block : blocks) {
        const std::string text = GbkToUtf8(block);
        std::vector<std::vector<std::string>> found[2];
        RegexHolder::MatchEnd ends[2];
        for (int checked = 0; checked < 2; ++checked) {
            ends[checked] = regex_.ForEachMatch(
                text,
                [&](RegexHolder::Groups groups) {
                    found[checked].emplace_back(groups.begin(), groups.end());
                },
                checked ? RegexHolder::Subject::Unchecked : RegexHolder::Subject::ValidUtf8);
        }
        EXPECT_EQ(ends[0], ends[1]) << block.size();
        EXPECT_EQ(found[0], found[1]) << block.size();
    }
}

// miyoutong-cli parse
const std::string kPagePath = MIYOUTONG_FIXTURES_DIR "/search/result_page_20.html";

TEST(ParseCommand, PrintsTheMembersOfAPage) {
    const std::string page = ReadWholeFile(kPagePath);
    const std::string expected = ReadWholeFile(MIYOUTONG_FIXTURES_DIR "/search/result_page_20.tsv");
    testing_support::TempDirectory dir;
    const std::string blockPath = (dir.path() / "block").string();
    testing_support::WriteWholeFile(blockPath, CutMemberBlock(page));

    struct Run {
        std::vector<std::string> args;
        std::string input;
    };
    const Run runs[] = {
        {{"parse", kPagePath}, ""},
        {{"parse"}, page},
        {{"parse", "-"}, page},
        {{"parse", "--block", blockPath}, ""},
        {{"parse", blockPath, "--block"}, ""},
        {{"parse", "--block"}, CutMemberBlock(page)},
    };
    for (const Run& run : runs) {
        const auto result = RunProgram(MIYOUTONG_CLI, run.args, run.input);
        EXPECT_EQ(result.exitCode, 0) << ::testing::PrintToString(run.args);
        EXPECT_EQ(result.out, expected) << ::testing::PrintToString(run.args);
        EXPECT_EQ(result.err, "");
    }
    // The page as a block: the recommended member outside the markers comes too.
    const auto whole = RunProgram(MIYOUTONG_CLI, {"parse", "--block", kPagePath});
    EXPECT_EQ(whole.exitCode, 0);
    EXPECT_EQ(std::count(whole.out.begin(), whole.out.end(), '\n'), 21);
}

TEST(ParseCommand, EscapesSeparatorsInsideFields) {
    std::string block = Replaced(EntryHtml(), "Lily_", "a\\b\tc\rd");
    const auto result = RunProgram(MIYOUTONG_CLI, {"parse", "--block"}, block);
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out,
              "20877410\ta\\\\b\\tc\\rd七月\t24岁\t北京 朝阳\t3\t"
              "http://127.0.0.1:18080/photo/2087/20877410_2.jpg\n");
}

TEST(ParseCommand, NoResultPagePrintsNothingAndExitsThree) {
    const auto result =
        RunProgram(MIYOUTONG_CLI, {"parse", MIYOUTONG_FIXTURES_DIR "/search/no_result_page.html"});
    EXPECT_EQ(result.exitCode, 3);
    EXPECT_EQ(result.out, "");
    // As a block the same bytes are parsed: the no-result test belongs to the page walk.
    const auto asBlock = RunProgram(
        MIYOUTONG_CLI, {"parse", "--block", MIYOUTONG_FIXTURES_DIR "/search/no_result_page.html"});
    EXPECT_EQ(asBlock.exitCode, 0);
    EXPECT_EQ(std::count(asBlock.out.begin(), asBlock.out.end(), '\n'), 1);
}

TEST(ParseCommand, PageWithoutMembersPrintsNothing) {
    const auto result = RunProgram(MIYOUTONG_CLI, {"parse"}, "<html>nothing here</html>");
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, "");
}

TEST(ParseCommand, BadArguments) {
    const std::vector<std::vector<std::string>> cases = {
        {"parse", "--blocks"}, {"parse", "-x"}, {"parse", "a", "b"}};
    for (const auto& args : cases) {
        const auto result = RunProgram(MIYOUTONG_CLI, args);
        EXPECT_EQ(result.exitCode, 2) << ::testing::PrintToString(args);
        EXPECT_EQ(result.out, "");
        ASSERT_FALSE(result.err.empty());
        EXPECT_EQ(result.err.find('\n'), result.err.size() - 1) << result.err;
    }
    const auto missing = RunProgram(MIYOUTONG_CLI, {"parse", "/nonexistent/page.html"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(missing.err.find('\n'), missing.err.size() - 1) << missing.err;
}

}  // namespace
}  // namespace miyoutong
