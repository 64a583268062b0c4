// The pieces under the region database: the Jet 4 header, Jet text, the table stream between the
// reading process and the program, and the child process that reads.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

#include "common/gbk.h"
#include "regions/isolated_jet_read.h"
#include "regions/jet_header.h"
#include "regions/jet_reader.h"
#include "regions/jet_table_stream.h"
#include "regions/jet_text.h"

namespace miyoutong {
namespace {

std::vector<unsigned char> ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<unsigned char> Fixture(const std::string& name) {
    return ReadAll(std::string(MIYOUTONG_FIXTURES_DIR) + "/regions/" + name);
}

TEST(JetHeader, ReadsDateAndPassword) {
    const std::optional<JetHeader> header = ReadJetHeader(ReadAll(MIYOUTONG_REGION_DATABASE));
    ASSERT_TRUE(header);
    // 2004-06-05 13:06:59
    EXPECT_EQ(std::floor(header->creationDate), 38143);
    EXPECT_NEAR(header->creationDate - 38143, (13 * 3600 + 6 * 60 + 59) / 86400.0, 1 / 86400.0);
    EXPECT_EQ(header->password, u"qwvxkz5.zzq");

    const std::optional<JetHeader> none = ReadJetHeader(Fixture("no-password.db"));
    ASSERT_TRUE(none);
    EXPECT_EQ(none->password, u"");
    EXPECT_FALSE(ReadJetHeader(Fixture("not-a-database.db")));
    EXPECT_FALSE(ReadJetHeader(Fixture("truncated.db")));
}

TEST(JetHeader, PasswordsCompareExactly) {
    JetHeader header;
    header.password = u"qwvxkz5.zzq";
    EXPECT_TRUE(JetPasswordMatches(header, "qwvxkz5.zzq"));
    EXPECT_FALSE(JetPasswordMatches(header, "QWVXKZ5.ZZQ"));
    EXPECT_FALSE(JetPasswordMatches(header, "qwvxkz5.zzq "));
    EXPECT_FALSE(JetPasswordMatches(header, ""));
    header.password = u"密码";
    EXPECT_TRUE(JetPasswordMatches(header, Gbk("密码")));
    EXPECT_FALSE(JetPasswordMatches(header, "密码")) << "UTF-8 bytes are not the GBK password";
    header.password.clear();
    EXPECT_TRUE(JetPasswordMatches(header, ""));
    EXPECT_FALSE(JetPasswordMatches(header, "x"));
}

TEST(JetHeader, RejectsHeadersThatAreNotJet4) {
    const std::vector<unsigned char> good = Fixture("edge-ids.db");
    ASSERT_TRUE(CheckJetHeader(good, "qwvxkz5.zzq"));
    struct Case {
        const char* what;
        std::size_t offset;
        unsigned char value;
    };
    const Case cases[] = {
        {"page type", 0x00, 0x01}, {"signature", 0x04, 'X'}, {"ACE signature", 0x0D, 'A'},
        {"Jet 3", 0x14, 0},        {"ACE version", 0x14, 2},
    };
    for (const Case& c : cases) {
        std::vector<unsigned char> file = good;
        file[c.offset] = c.value;
        EXPECT_FALSE(CheckJetHeader(file, "qwvxkz5.zzq")) << c.what;
    }
    std::vector<unsigned char> twoPages(good.begin(), good.begin() + 2 * kJetPageSize);
    EXPECT_FALSE(CheckJetHeader(twoPages, "qwvxkz5.zzq"));
    std::vector<unsigned char> ragged(good.begin(), good.end() - 1);
    EXPECT_FALSE(CheckJetHeader(ragged, "qwvxkz5.zzq"));
}

std::vector<unsigned char> Bytes(std::initializer_list<int> values) {
    std::vector<unsigned char> bytes;
    for (int v : values) {
        bytes.push_back(static_cast<unsigned char>(v));
    }
    return bytes;
}

TEST(JetText, DecodesPlainAndCompressedText) {
    struct Case {
        std::vector<unsigned char> stored;
        const char* utf8;
    };
    const Case cases[] = {
        {Bytes({}), ""},
        {Bytes({'a', 0, 'b', 0}), "ab"},
        {Bytes({0x17, 0x53, 0xAC, 0x4E}), "北京"},
        {Bytes({0xFF, 0xFE, '1', '0', '1'}), "101"},
        {Bytes({0xFF, 0xFE}), ""},
        // Compressed, then two-byte characters after a zero byte, then back.
        {Bytes({0xFF, 0xFE, 'A', 0, 0x17, 0x53, 0xAC, 0x4E, 0, 'B'}), "A北京B"},
        {Bytes({'a', 0, 'b'}), "a"},                            // odd last byte dropped
        {Bytes({0x3D, 0xD8, 0x00, 0xDE}), "\xF0\x9F\x98\x80"},  // surrogate pair
        {Bytes({0x3D, 0xD8, 'a', 0}),
         "\xEF\xBF\xBD"
         "a"},                               // lone surrogate
        {Bytes({0xFF, 0xFE, 0, 0x41}), ""},  // cut two-byte character
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DecodeJetText(c.stored), c.utf8) << c.utf8;
    }
}

std::vector<JetTable> SampleTables() {
    JetTable table;
    table.name = "t";
    table.columns = {{"id", JetColumnType::Integer},
                     {"name", JetColumnType::Text},
                     {"x", JetColumnType::Real},
                     {"o", JetColumnType::Other}};
    table.rows = {{std::int64_t{-7}, std::string("北京"), 2.5, std::monostate{}},
                  {std::monostate{}, std::string(), -0.0, std::monostate{}}};
    JetTable second;
    second.name = "u";
    second.columns = {{"v", JetColumnType::Text}};
    return {table, second};
}

TEST(JetTableStream, RoundTrips) {
    const std::vector<JetTable> tables = SampleTables();
    const std::optional<std::vector<JetTable>> decoded = DecodeJetTables(EncodeJetTables(tables));
    ASSERT_TRUE(decoded);
    ASSERT_EQ(decoded->size(), 2u);
    const JetTable& t = (*decoded)[0];
    EXPECT_EQ(t.name, "t");
    ASSERT_EQ(t.columns.size(), 4u);
    EXPECT_EQ(t.columns[1].name, "name");
    EXPECT_EQ(t.columns[2].type, JetColumnType::Real);
    ASSERT_EQ(t.rows.size(), 2u);
    EXPECT_EQ(t.rows[0], tables[0].rows[0]);
    EXPECT_EQ(t.rows[1], tables[0].rows[1]);
    EXPECT_TRUE((*decoded)[1].rows.empty());
}

TEST(JetTableStream, RejectsDamagedStreams) {
    const std::string stream = EncodeJetTables(SampleTables());
    for (std::size_t cut = 0; cut < stream.size(); ++cut) {
        EXPECT_FALSE(DecodeJetTables(stream.substr(0, cut))) << "cut at " << cut;
    }
    EXPECT_FALSE(DecodeJetTables(stream + "x"));
    // A row count far beyond the bytes that follow.
    std::string huge = EncodeJetTables({SampleTables()[1]});
    const std::size_t rowCountAt = huge.size() - 4 - 4;
    huge[rowCountAt + 3] = 0x7F;
    EXPECT_FALSE(DecodeJetTables(huge));
    // A table without columns.
    JetTable empty;
    empty.name = "e";
    EXPECT_FALSE(DecodeJetTables(EncodeJetTables({empty})));
}

TEST(JetReader, ReadsInProcessAndInAChildAlike) {
    const std::vector<unsigned char> file = Fixture("edge-ids.db");
    JetReader reader;
    ASSERT_TRUE(reader.Open(file));
    const std::optional<std::vector<JetTable>> direct = reader.ReadTables();
    const std::optional<std::vector<JetTable>> isolated = ReadJetTablesIsolated(file);
    ASSERT_TRUE(direct);
    ASSERT_TRUE(isolated);
    ASSERT_EQ(direct->size(), 2u);
    ASSERT_EQ(isolated->size(), 2u);
    for (std::size_t i = 0; i < 2; ++i) {
        EXPECT_EQ((*direct)[i].name, (*isolated)[i].name);
        EXPECT_EQ((*direct)[i].rows, (*isolated)[i].rows);
    }
    EXPECT_EQ((*direct)[0].name, "workcitycity");
    EXPECT_EQ((*direct)[1].name, "workcityprovince");
    EXPECT_EQ((*direct)[1].columns.size(), 4u);
    // The first stored row of workcityprovince: id 9, 丁十二, "10112001", "12".
    const std::vector<JetValue> first = {std::int64_t{9}, std::string("丁十二"),
                                         std::string("10112001"), std::string("12")};
    EXPECT_EQ((*isolated)[1].rows.front(), first);
}

TEST(JetReader, ChildFailureIsAFailedRead) {
    // The catalogue page of a readable file replaced by a table definition whose usage map row
    // does not exist: the checks in the child refuse it, and the child's exit code says so.
    std::vector<unsigned char> file = Fixture("edge-ids.db");
    file[2 * kJetPageSize + 55] = 0xFE;
    EXPECT_FALSE(ReadJetTablesIsolated(file));
}

}  // namespace
}  // namespace miyoutong
