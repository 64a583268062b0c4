// The region database layer on real Access files: the fixtures, the shipped data.db and damaged
// copies of it.

#include <gtest/gtest.h>
#include <iconv.h>
#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "common/gbk.h"
#include "regions/isolated_jet_read.h"
#include "regions/record_set.h"
#include "regions/region_catalogue.h"
#include "regions/region_database.h"

namespace miyoutong {
namespace {

namespace fs = std::filesystem;

const std::string kPassword(kRegionDatabasePassword);

std::string Fixture(const std::string& name) {
    return std::string(MIYOUTONG_FIXTURES_DIR) + "/regions/" + name;
}

std::string ShippedDatabase() {
    return MIYOUTONG_REGION_DATABASE;
}

std::vector<unsigned char> ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteAll(const fs::path& path, const std::vector<unsigned char>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

class TempDir {
public:
    TempDir() {
        std::string pattern = (fs::temp_directory_path() / "regions-test-XXXXXX").string();
        path_ = mkdtemp(pattern.data());
    }
    ~TempDir() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    fs::path Path(const std::string& name) const { return path_ / name; }

private:
    fs::path path_;
};

// All rows of a query as tab-joined UTF-8 lines, or "<closed>" when the query failed.
std::vector<std::string> Rows(RegionDatabase& db, const std::string& sql,
                              const std::vector<std::string>& fields) {
    RecordSet records;
    records.Bind(db);
    if (!records.Open(sql)) {
        EXPECT_EQ(records.RowCount(), -1);
        return {"<closed>"};
    }
    std::vector<std::string> rows;
    const int count = records.RowCount();
    for (int i = 0; i < count; ++i) {
        std::string line;
        for (std::size_t f = 0; f < fields.size(); ++f) {
            line += (f == 0 ? "" : "\t") + GbkToUtf8(records.FieldText(fields[f]));
        }
        rows.push_back(line);
        records.MoveNext();
    }
    return rows;
}

struct OpenCase {
    const char* file;  // a fixture, or "data.db" for the shipped database
    std::string password;
    bool opens;
};

TEST(RegionDatabase, OpensOnlyJet4FilesWithTheirExactPassword) {
    const OpenCase cases[] = {
        {"data.db", kPassword, true},
        {"data.db", "qwvxkz5.zzQ", false},
        {"data.db", "qwvxkz5.zz", false},
        {"data.db", "qwvxkz5.zzqq", false},
        {"data.db", "", false},
        {"wrong-password.db", kPassword, false},
        {"wrong-password.db", "qwvxkz5.zzQ", true},
        {"other-password.db", kPassword, false},
        {"other-password.db", "password", true},
        {"no-password.db", kPassword, false},
        {"no-password.db", "", true},
        {"not-a-database.db", kPassword, false},
        {"not-a-database.db", "", false},
        {"truncated.db", kPassword, false},
        {"no-city-table.db", kPassword, true},
        {"edge-ids.db", kPassword, true},
        {"empty-tables.db", kPassword, true},
        {"missing.db", kPassword, false},
        {"", kPassword, false},  // the fixture folder itself
    };
    for (const OpenCase& c : cases) {
        const std::string path =
            std::string(c.file) == "data.db" ? ShippedDatabase() : Fixture(c.file);
        RegionDatabase db;
        EXPECT_EQ(db.Open(path, c.password), c.opens) << c.file << " with '" << c.password << "'";
        EXPECT_EQ(db.IsOpen(), c.opens) << c.file;
    }
}

TEST(RegionDatabase, HoldsTheWholeContentOfDataDb) {
    std::ifstream csv(Fixture("regions.csv"));
    std::string line;
    std::getline(csv, line);
    ASSERT_EQ(line, "table,id,name,code,parent");
    std::vector<std::string> expected;
    while (std::getline(csv, line)) {
        expected.push_back(line);
    }
    ASSERT_EQ(expected.size(), 35u + 484u);

    RegionDatabase db;
    ASSERT_TRUE(db.Open(ShippedDatabase(), kPassword));
    std::vector<std::string> actual;
    for (const std::string& row : Rows(db, "select * from workcitycity order by id ASC",
                                       {"id", "workcitycity", "workcitycityid"})) {
        std::string csvRow = "workcitycity," + row + ",";
        std::replace(csvRow.begin(), csvRow.end(), '\t', ',');
        actual.push_back(csvRow);
    }
    for (const std::string& row :
         Rows(db, "select * from workcityprovince order by id ASC",
              {"id", "workcityprovince", "workcityprovinceid", "workcitycityid"})) {
        std::string csvRow = "workcityprovince," + row;
        std::replace(csvRow.begin(), csvRow.end(), '\t', ',');
        actual.push_back(csvRow);
    }
    EXPECT_EQ(actual, expected);
}

TEST(RegionDatabase, KeepsColumnTypesNullsAndTheStoredRowOrder) {
    RegionDatabase db;
    ASSERT_TRUE(db.Open(Fixture("edge-ids.db"), kPassword));
    const std::vector<std::string> types = {
        "integer\ttext\ttext\ttext",
    };
    EXPECT_EQ(Rows(db,
                   "select distinct typeof(id) as a, typeof(workcityprovince) as b, "
                   "typeof(workcitycityid) as c, typeof(workcityprovinceid) as d "
                   "from workcityprovince where id <> 14",
                   {"a", "b", "c", "d"}),
              types);
    // Id 14's code is Null, id 5's is an empty text; both read as empty text.
    EXPECT_EQ(Rows(db, "select id from workcityprovince where workcityprovinceid is null", {"id"}),
              std::vector<std::string>{"14"});
    EXPECT_EQ(Rows(db, "select id from workcityprovince where workcityprovinceid = ''", {"id"}),
              std::vector<std::string>{"5"});
    EXPECT_EQ(Rows(db, "select * from workcityprovince where id = 14", {"workcityprovinceid"}),
              std::vector<std::string>{""});
    // Without "order by" the rows come as they lie in the file.
    EXPECT_EQ(Rows(db, "select id from workcitycity", {"id"}),
              (std::vector<std::string>{"5", "9", "2", "7", "1", "8", "3", "6", "4"}));
    EXPECT_EQ(Rows(db, "select id from workcityprovince", {"id"}),
              (std::vector<std::string>{"9", "4", "12", "1", "11", "7", "3", "13", "6", "2", "10",
                                        "5", "8", "14"}));
    EXPECT_EQ(Rows(db, "select * from workcitycity order by id ASC", {"workcitycityid"}),
              (std::vector<std::string>{"7", "07", "7.9", "12.9", "-3.7", "", "abc", "0", "-2"}));
}

TEST(RecordSet, FailingQueriesLeaveItClosed) {
    RegionDatabase db;
    ASSERT_TRUE(db.Open(Fixture("no-city-table.db"), kPassword));
    EXPECT_EQ(Rows(db, "select * from workcityprovince where workcitycityid='05' order by id ASC",
                   {"id"}),
              std::vector<std::string>{"<closed>"});
    EXPECT_EQ(Rows(db, "select nosuchfield from workcitycity", {"id"}),
              std::vector<std::string>{"<closed>"});
    EXPECT_EQ(Rows(db, "select * from workcitycity order by id ASC", {"id"}).size(), 35u);
    // Only single read-only statements run.
    EXPECT_EQ(Rows(db, "delete from workcitycity", {"id"}), std::vector<std::string>{"<closed>"});
    EXPECT_EQ(Rows(db, "select 1; delete from workcitycity", {"id"}),
              std::vector<std::string>{"<closed>"});
    EXPECT_EQ(Rows(db, "select count(*) as n from workcitycity;", {"n"}),
              std::vector<std::string>{"35"});
}

TEST(RecordSet, EmptyTablesGiveNoRows) {
    RegionDatabase db;
    ASSERT_TRUE(db.Open(Fixture("empty-tables.db"), kPassword));
    RecordSet records;
    records.Bind(db);
    for (const char* sql : {"select * from workcitycity order by id ASC",
                            "select * from workcityprovince where workcitycityid='-2' order by "
                            "id ASC"}) {
        ASSERT_TRUE(records.Open(sql)) << sql;
        EXPECT_EQ(records.RowCount(), 0) << sql;
        EXPECT_EQ(records.FieldText("id"), "");
    }
}

TEST(RecordSet, ReadsFieldsRowByRow) {
    RegionDatabase db;
    ASSERT_TRUE(db.Open(ShippedDatabase(), kPassword));
    RecordSet records;
    EXPECT_EQ(records.RowCount(), -1);
    EXPECT_FALSE(records.Open("select * from workcitycity")) << "not bound";
    records.Bind(db);
    EXPECT_EQ(records.FieldText("id"), "");
    ASSERT_TRUE(records.Open("select * from workcitycity where id >= 34 order by id ASC"));
    EXPECT_EQ(records.RowCount(), 2);
    EXPECT_EQ(records.FieldText("workcitycity"), Gbk("台湾"));
    EXPECT_EQ(records.FieldText("WorkCityCityID"), "34");
    EXPECT_EQ(records.FieldText("nosuchfield"), "");
    records.MoveNext();
    EXPECT_EQ(records.FieldText("workcitycity"), Gbk("海外"));
    EXPECT_EQ(records.FieldText("workcitycityid"), "-2");
    records.MoveNext();
    EXPECT_EQ(records.FieldText("workcitycity"), "");
    records.MoveNext();
    EXPECT_EQ(records.RowCount(), 2);

    // Opening an open record set replaces its rows; a failing open leaves it closed.
    ASSERT_TRUE(records.Open("select * from workcitycity where id = 1"));
    EXPECT_EQ(records.RowCount(), 1);
    EXPECT_EQ(records.FieldText("workcitycity"), Gbk("北京"));
    EXPECT_FALSE(records.Open("select * from nosuchtable"));
    EXPECT_EQ(records.RowCount(), -1);
    EXPECT_EQ(records.FieldText("workcitycity"), "");
    records.Close();
    records.Close();
    EXPECT_EQ(records.RowCount(), -1);

    db.Close();
    EXPECT_FALSE(records.Open("select * from workcitycity"));
}

TEST(RegionDatabase, OpeningAgainClosesFirst) {
    RegionDatabase db;
    ASSERT_TRUE(db.Open(ShippedDatabase(), kPassword));
    ASSERT_TRUE(db.Open(Fixture("edge-ids.db"), kPassword));
    EXPECT_EQ(Rows(db, "select count(*) as n from workcitycity", {"n"}),
              std::vector<std::string>{"9"});
    EXPECT_FALSE(db.Open(Fixture("wrong-password.db"), kPassword));
    EXPECT_FALSE(db.IsOpen());
    EXPECT_EQ(db.Connection(), nullptr);
}

// ---- damaged copies of data.db ----

constexpr std::size_t kPage = 4096;

std::uint32_t U32(const std::vector<unsigned char>& file, std::size_t at) {
    std::uint32_t value = 0;
    std::memcpy(&value, file.data() + at, 4);
    return value;
}

void PutU32(std::vector<unsigned char>& file, std::size_t at, std::uint32_t value) {
    std::memcpy(file.data() + at, &value, 4);
}

// The table definition page of a user table with the given number of columns.
std::size_t UserTableDefinition(const std::vector<unsigned char>& file, unsigned columns) {
    for (std::size_t page = 1; page < file.size() / kPage; ++page) {
        const unsigned char* p = file.data() + page * kPage;
        if (p[0] == 0x02 && p[40] == 0x4E && static_cast<unsigned>(p[45] | p[46] << 8) == columns) {
            return page;
        }
    }
    ADD_FAILURE() << "no user table with " << columns << " columns";
    return 0;
}

struct Damage {
    const char* what;
    void (*apply)(std::vector<unsigned char>& file);
};

const Damage kDamages[] = {
    {"random bytes over the header",
     [](std::vector<unsigned char>& file) {
         std::mt19937 random(5);
         for (std::size_t i = 0; i < 0x98; ++i) {
             file[i] = static_cast<unsigned char>(random());
         }
     }},
    {"random bytes in the encrypted header block",
     [](std::vector<unsigned char>& file) {
         std::mt19937 random(7);
         for (std::size_t i = 0x18; i < 0x98; ++i) {
             file[i] = static_cast<unsigned char>(random());
         }
     }},
    {"Jet 3 version byte", [](std::vector<unsigned char>& file) { file[0x14] = 0; }},
    {"catalogue page zeroed",
     [](std::vector<unsigned char>& file) {
         std::fill(file.begin() + 2 * kPage, file.begin() + 3 * kPage, 0);
     }},
    {"catalogue usage map pointing past the end",
     [](std::vector<unsigned char>& file) { PutU32(file, 2 * kPage + 55, 0xFFFF00); }},
    {"table usage map pointing past the end",
     [](std::vector<unsigned char>& file) {
         PutU32(file, UserTableDefinition(file, 4) * kPage + 55, 0x7FFF00);
     }},
    {"table usage map naming a row that does not exist",
     [](std::vector<unsigned char>& file) {
         const std::size_t at = UserTableDefinition(file, 4) * kPage + 55;
         PutU32(file, at, (U32(file, at) & ~0xFFu) | 0xFE);
     }},
    {"table definition page zeroed",
     [](std::vector<unsigned char>& file) {
         const std::size_t page = UserTableDefinition(file, 3);
         std::fill(file.begin() + page * kPage, file.begin() + (page + 1) * kPage, 0);
     }},
    {"huge declared row count",
     [](std::vector<unsigned char>& file) {
         PutU32(file, UserTableDefinition(file, 4) * kPage + 16, 0x7FFFFFFF);
     }},
    {"declared row count one short",
     [](std::vector<unsigned char>& file) {
         const std::size_t at = UserTableDefinition(file, 3) * kPage + 16;
         PutU32(file, at, U32(file, at) - 1);
     }},
    {"column count beyond Jet's limit",
     [](std::vector<unsigned char>& file) {
         const std::size_t at = UserTableDefinition(file, 3) * kPage + 45;
         file[at] = 0xFF;
         file[at + 1] = 0x7F;
     }},
    {"cut after the first ten pages",
     [](std::vector<unsigned char>& file) { file.resize(10 * kPage); }},
    {"one byte more than whole pages", [](std::vector<unsigned char>& file) { file.push_back(0); }},
};

TEST(RegionDatabase, DamagedCopiesFailToOpen) {
    TempDir dir;
    const std::vector<unsigned char> original = ReadAll(ShippedDatabase());
    ASSERT_EQ(original.size(), 155648u);
    int index = 0;
    for (const Damage& damage : kDamages) {
        std::vector<unsigned char> file = original;
        damage.apply(file);
        const fs::path path = dir.Path("damaged-" + std::to_string(index++) + ".db");
        WriteAll(path, file);
        RegionDatabase db;
        EXPECT_FALSE(db.Open(path.string(), kPassword)) << damage.what;
    }
    // The same copy without damage opens: the failures above come from the damage.
    WriteAll(dir.Path("intact.db"), original);
    RegionDatabase db;
    EXPECT_TRUE(db.Open(dir.Path("intact.db").string(), kPassword));
}

// Random damage anywhere past the header: the open may succeed or fail, but it returns, in time,
// and what it returns can be used.
TEST(RegionDatabase, RandomDamageNeverCrashesOrHangs) {
    TempDir dir;
    const std::vector<unsigned char> original = ReadAll(ShippedDatabase());
    std::mt19937 random(20240605);
    const fs::path path = dir.Path("random.db");
    constexpr int kRounds = 60;
    int opened = 0;
    for (int round = 0; round < kRounds; ++round) {
        std::vector<unsigned char> file = original;
        const int changes = 1 + static_cast<int>(random() % 16);
        for (int i = 0; i < changes; ++i) {
            file[kPage + random() % (file.size() - kPage)] = static_cast<unsigned char>(random());
        }
        WriteAll(path, file);
        const auto started = std::chrono::steady_clock::now();
        RegionDatabase db;
        const bool ok = db.Open(path.string(), kPassword);
        EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(4))
            << "round " << round;
        if (ok) {
            ++opened;
            RecordSet records;
            records.Bind(db);
            if (records.Open("select * from workcitycity order by id ASC")) {
                EXPECT_GE(records.RowCount(), 0);
            }
        }
    }
    // Most single-byte damage falls on pages nothing reads; some of it must be caught.
    EXPECT_GT(opened, 0);
    EXPECT_LT(opened, kRounds);
}

// Files found by fuzzing on which libmdb itself allocates without end, never finishes, or reads
// far past a buffer (a property block whose lengths it takes from the file unchecked). The
// reading child is stopped by its memory limit or its deadline, or dies, and the open fails.
TEST(RegionDatabase, FilesThatBreakLibmdbFailInBoundedTime) {
    for (const char* name : {"hostile-memory.db", "hostile-endless.db", "hostile-overread.db"}) {
        const auto started = std::chrono::steady_clock::now();
        RegionDatabase db;
        EXPECT_FALSE(db.Open(Fixture(name), kPassword)) << name;
        EXPECT_LT(std::chrono::steady_clock::now() - started,
                  kJetReadDeadline + std::chrono::seconds(2))
            << name;
    }
}

TEST(RegionDatabase, RefusesWhatIsNotARegularFile) {
    RegionDatabase db;
    EXPECT_FALSE(db.Open("/dev/zero", kPassword));
    EXPECT_FALSE(db.Open("/dev/null", kPassword));
    TempDir dir;
    const fs::path fifo = dir.Path("fifo.db");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(db.Open(fifo.string(), kPassword));
}

TEST(RegionDatabase, RefusesAFileLargerThanAnyRegionDatabase) {
    TempDir dir;
    std::vector<unsigned char> file = ReadAll(ShippedDatabase());
    file.resize(17 * 1024 * 1024);
    WriteAll(dir.Path("huge.db"), file);
    RegionDatabase db;
    EXPECT_FALSE(db.Open(dir.Path("huge.db").string(), kPassword));
}

// GCC's AddressSanitizer runtime, unlike glibc's malloc, does not hold its allocator's locks
// across fork(): a child forked while another thread allocates can wait forever for a lock that
// nobody in it will release. Under that runtime the next test would show the runtime's fault.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAllocatorSurvivesFork = false;
#else
constexpr bool kAllocatorSurvivesFork = true;
#endif

// The read runs in a forked child. Other threads of the program may hold libc's locks (malloc,
// character conversion) at the moment of the fork; the child must neither hang nor fail on them.
TEST(RegionDatabase, OpensWhileOtherThreadsAllocateAndConvert) {
    if (!kAllocatorSurvivesFork) {
        GTEST_SKIP()
            << "the AddressSanitizer allocator is not fork-safe; the plain build checks this";
    }
    std::atomic<bool> stop{false};
    std::vector<std::thread> busy;
    for (int i = 0; i < 3; ++i) {
        busy.emplace_back([&] {
            while (!stop) {
                const iconv_t converter = iconv_open("UTF-8", "GBK");
                if (converter != reinterpret_cast<iconv_t>(-1)) {
                    iconv_close(converter);
                }
                std::vector<std::string> garbage(64, std::string(1000, 'x'));
            }
        });
    }
    for (int round = 0; round < 5; ++round) {
        const auto started = std::chrono::steady_clock::now();
        RegionDatabase db;
        EXPECT_TRUE(db.Open(ShippedDatabase(), kPassword)) << round;
        EXPECT_LT(std::chrono::steady_clock::now() - started, kJetReadDeadline) << round;
    }
    stop = true;
    for (std::thread& thread : busy) {
        thread.join();
    }
}

}  // namespace
}  // namespace miyoutong
