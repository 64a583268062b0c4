// The demo service read back by the program's own page cut and parser: every member the service
// means to show arrives, in order, over all pages, for many seeds and filters.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <httplib.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QByteArray>
#include <QImage>
#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "common/gbk.h"
#include "common/memory_control_surface.h"
#include "common/text.h"
#include "search/page_cut.h"
#include "search/regex_holder.h"
#include "search/result_parser.h"
#include "search/search_query.h"
#include "support/sanitizer_slowdown.h"
#include "support/temp_directory.h"
#include "tools/demo-service/demo_photo_renderer.h"
#include "tools/demo-service/demo_population.h"
#include "tools/demo-service/demo_query.h"
#include "tools/demo-service/demo_region_loader.h"
#include "tools/demo-service/demo_result_page.h"
#include "tools/demo-service/demo_service.h"

namespace miyoutong::demo {
namespace {

constexpr int kPageLimit = 55;

const std::vector<DemoRegion>& Regions() {
    static const std::vector<DemoRegion> regions = [] {
        std::string error;
        auto loaded = LoadDemoRegions(MIYOUTONG_DATA_DB, &error);
        EXPECT_TRUE(loaded.has_value()) << error;
        return loaded.value_or(std::vector<DemoRegion>{});
    }();
    return regions;
}

// Level-1 item value of a province, as the start-region list carries it.
int ProvinceId(const std::string& province) {
    for (const DemoRegion& region : Regions()) {
        if (region.provinceName == province) {
            return TextToInt(region.parentKey);
        }
    }
    ADD_FAILURE() << "no province " << province;
    return 0;
}

// Level-2 item value of a city, as the end-region list carries it.
int CityCode(const std::string& province, const std::string& city) {
    for (const DemoRegion& region : Regions()) {
        if (region.provinceName == province && region.cityName == city) {
            return TextToInt(region.code);
        }
    }
    ADD_FAILURE() << "no city " << province << " " << city;
    return 0;
}

// The criteria as the option lists give them: item values, -1 for an open choice.
struct Filter {
    std::string name = "";
    int gender = -1, ageBegin = -1, ageEnd = -1, startRegion = -1, endRegion = -1;
    int marriage = -1, salary = -1, education = -1, h1 = -1, h2 = -1;
};

// The search path for a page number to be appended, built by the program's own query code.
std::string SearchPath(const Filter& f) {
    const auto number = [](int value) { return DecimalText(value); };
    const std::string url =
        BuildSearchUrl(number(f.gender), number(f.ageBegin), number(f.ageEnd),
                       RegionValue(f.startRegion, f.endRegion), number(f.marriage),
                       number(f.salary), number(f.education), 1, number(f.h1), number(f.h2));
    return url.substr(url.find("/search/"));
}

// What a user choosing these criteria expects to find, written without the service's code.
bool Wanted(const Filter& f, const DemoMember& m) {
    const auto equal = [](int wanted, int value) { return wanted == -1 || wanted == value; };
    const auto within = [](int low, int high, int value) {
        return (low == -1 || value >= low) && (high == -1 || value <= high);
    };
    bool region = true;
    if (f.endRegion != -1) {
        region = TextToInt(m.regionCode) == f.endRegion;
    } else if (f.startRegion != -1 && f.startRegion != -2) {
        region = TextToInt(m.regionParentKey) == f.startRegion;
    }
    return region && equal(f.gender, m.gender) && within(f.ageBegin, f.ageEnd, m.age) &&
           within(f.h1, f.h2, m.height) && equal(f.marriage, m.marriage) &&
           equal(f.salary, m.salary) && equal(f.education, m.education);
}

// Columns 0 to 6 of a result row.
using Row = std::array<std::string, 7>;

Row ExpectedRow(int index, const DemoMember& m, const std::string& host) {
    return {DecimalText(index), m.id,
            Gbk(m.nickname),    Gbk(AgeText(m)),
            Gbk(m.regionText),  IntegrityText(m),
            PhotoUrl(host, m)};
}

std::string Shown(const Row& row) {
    std::string text;
    for (const std::string& cell : row) {
        text += GbkToUtf8(cell) + " | ";
    }
    return text;
}

// Row counts, then the first row that differs, in readable form.
void ExpectSameRows(const std::vector<Row>& actual, const std::vector<Row>& expected) {
    EXPECT_EQ(actual.size(), expected.size());
    for (std::size_t i = 0; i < std::min(actual.size(), expected.size()); ++i) {
        if (actual[i] != expected[i]) {
            ADD_FAILURE() << "row " << i << " is\n  " << Shown(actual[i]) << "\nexpected\n  "
                          << Shown(expected[i]);
            return;
        }
    }
}

struct Walk {
    std::vector<Row> rows;
    int pagesFetched = 0;
    bool endedAtNoResult = false;
};

// The program's page walk: pages 1 to 55, stop at the no-result page, cut, parse.
Walk WalkPages(int port, const std::string& path) {
    RegexHolder regex;
    EXPECT_TRUE(regex.Create());
    MemoryControlSurface surface;
    httplib::Client client("127.0.0.1", port);
    Walk walk;
    for (int page = 1; page <= kPageLimit; ++page) {
        const auto response = client.Get(path + std::to_string(page));
        ++walk.pagesFetched;
        if (!response || response->status != 200) {
            ADD_FAILURE() << "page " << page << " of " << path << " not served";
            break;
        }
        if (HoldsNoResultText(response->body)) {
            walk.endedAtNoResult = true;
            break;
        }
        ParseResultBlock(surface, regex, CutMemberBlock(response->body));
    }
    for (int r = 0; r < surface.RowCount(); ++r) {
        Row row;
        for (int c = 0; c < 7; ++c) {
            row[static_cast<std::size_t>(c)] = surface.CellText(r, c);
        }
        walk.rows.push_back(row);
    }
    return walk;
}

std::string Host(const DemoService& service) {
    return "127.0.0.1:" + std::to_string(service.Port());
}

// Keys and values of a search path; they hold only letters, digits and minus signs.
httplib::Params QueryOf(const std::string& path) {
    httplib::Params params;
    std::istringstream query(path.substr(path.find('?') + 1));
    std::string pair;
    while (std::getline(query, pair, '&')) {
        const auto equals = pair.find('=');
        params.emplace(pair.substr(0, equals), pair.substr(equals + 1));
    }
    return params;
}

std::vector<Filter> Filters() {
    const int guangdong = ProvinceId("广东");
    const int beijing = ProvinceId("北京");
    const int overseas = -2;
    const int usa = CityCode("海外", "美国");
    return {
        {.name = "women only", .gender = 1},
        {.name = "men only", .gender = 0},
        {.name = "men 25 to 35", .gender = 0, .ageBegin = 25, .ageEnd = 35},
        {.name = "women from 60", .gender = 1, .ageBegin = 60},
        {.name = "men up to 22", .gender = 0, .ageEnd = 22},
        {.name = "women 20 to 30 in a province",
         .gender = 1,
         .ageBegin = 20,
         .ageEnd = 30,
         .startRegion = guangdong},
        {.name = "men in a one-digit province", .gender = 0, .startRegion = beijing},
        {.name = "women in a city",
         .gender = 1,
         .startRegion = beijing,
         .endRegion = CityCode("北京", "朝阳区")},
        {.name = "a city of the same name elsewhere",
         .gender = 0,
         .startRegion = ProvinceId("辽宁"),
         .endRegion = CityCode("辽宁", "朝阳")},
        {.name = "overseas, one country", .gender = 1, .startRegion = overseas, .endRegion = usa},
        {.name = "overseas without a country means anywhere", .gender = 0, .startRegion = overseas},
        {.name = "height range", .gender = 1, .h1 = 160, .h2 = 170},
        {.name = "lower height only", .gender = 0, .h1 = 185},
        {.name = "marriage, income, education",
         .gender = 0,
         .marriage = 3,
         .salary = 5,
         .education = 5},
        {.name = "everything at once",
         .gender = 1,
         .ageBegin = 22,
         .ageEnd = 40,
         .startRegion = guangdong,
         .marriage = 1,
         .education = 4,
         .h1 = 150,
         .h2 = 175},
        {.name = "nobody",
         .gender = 0,
         .ageBegin = 99,
         .ageEnd = 99,
         .startRegion = beijing,
         .h1 = 129,
         .h2 = 129},
        {.name = "start age above end age", .gender = 1, .ageBegin = 40, .ageEnd = 30},
    };
}

TEST(DemoServiceRoundTrip, ParsedPagesGiveExactlyTheMembersMeantForManySeedsAndFilters) {
    for (const std::uint64_t seed : {1u, 2u, 7u, 2024u}) {
        DemoService service(Regions(), {.seed = seed});
        ASSERT_GT(service.Start(0), 0);
        const std::string host = Host(service);
        for (const Filter& filter : Filters()) {
            SCOPED_TRACE("seed " + std::to_string(seed) + ", " + filter.name);
            std::vector<const DemoMember*> wanted;
            for (const DemoMember& m : service.Population().Members()) {
                if (Wanted(filter, m)) {
                    wanted.push_back(&m);
                }
            }
            const std::string path = SearchPath(filter);
            EXPECT_EQ(service.Population().Matching(DemoQuery::FromParams(QueryOf(path + "1"))),
                      wanted);

            const Walk walk = WalkPages(service.Port(), path);
            std::vector<Row> expected;
            const std::size_t shown = std::min<std::size_t>(wanted.size(), kPageLimit * 20);
            for (std::size_t i = 0; i < shown; ++i) {
                expected.push_back(ExpectedRow(static_cast<int>(i), *wanted[i], host));
            }
            ExpectSameRows(walk.rows, expected);
            if (wanted.size() < kPageLimit * 20u) {
                EXPECT_TRUE(walk.endedAtNoResult);
                EXPECT_EQ(walk.pagesFetched, PageCount(wanted.size()) + 1);
            } else {
                EXPECT_EQ(walk.pagesFetched, kPageLimit);
            }
        }
        service.Stop();
    }
}

TEST(DemoServiceRoundTrip, SomeFiltersFindNobodyAndSomeFillMoreThanTheWholeWalk) {
    DemoService service(Regions(), {.seed = 5});
    ASSERT_GT(service.Start(0), 0);
    std::set<std::string> findsNobody, fillsTheWalk;
    for (const Filter& filter : Filters()) {
        const auto wanted = std::count_if(service.Population().Members().begin(),
                                          service.Population().Members().end(),
                                          [&](const DemoMember& m) { return Wanted(filter, m); });
        if (wanted == 0) {
            findsNobody.insert(filter.name);
        }
        if (wanted > kPageLimit * 20) {
            fillsTheWalk.insert(filter.name);
        }
    }
    EXPECT_TRUE(findsNobody.contains("nobody"));
    EXPECT_TRUE(findsNobody.contains("start age above end age"));
    EXPECT_FALSE(findsNobody.contains("women in a city"));
    EXPECT_FALSE(findsNobody.contains("women 20 to 30 in a province"));
    EXPECT_TRUE(fillsTheWalk.contains("women only"));
    EXPECT_TRUE(fillsTheWalk.contains("men only"));

    // The walk over a gender alone ends at its limit with members still to come.
    const std::string path = SearchPath({.gender = 1});
    const Walk walk = WalkPages(service.Port(), path);
    EXPECT_EQ(walk.pagesFetched, kPageLimit);
    EXPECT_EQ(walk.rows.size(), kPageLimit * 20u);
    EXPECT_FALSE(walk.endedAtNoResult);
    httplib::Client client("127.0.0.1", service.Port());
    const auto page56 = client.Get(path + "56");
    ASSERT_TRUE(page56);
    EXPECT_FALSE(HoldsNoResultText(page56->body));
    EXPECT_FALSE(CutMemberBlock(page56->body).empty());
}

TEST(DemoServicePages, TheNoResultTextStandsInPlaceOfTheBlockRightAfterTheLastPage) {
    DemoService service(Regions(), {.seed = 3});
    ASSERT_GT(service.Start(0), 0);
    httplib::Client client("127.0.0.1", service.Port());
    const Filter filter{
        .gender = 1, .ageBegin = 20, .ageEnd = 30, .startRegion = ProvinceId("广东")};
    std::size_t wanted = 0;
    for (const DemoMember& m : service.Population().Members()) {
        wanted += Wanted(filter, m) ? 1 : 0;
    }
    const int pages = PageCount(wanted);
    ASSERT_GE(pages, 2) << "the demo search should span several pages";
    const std::string path = SearchPath(filter);
    for (int page = 1; page <= pages + 2; ++page) {
        SCOPED_TRACE("page " + std::to_string(page));
        const auto response = client.Get(path + std::to_string(page));
        ASSERT_TRUE(response);
        EXPECT_EQ(response->status, 200);
        EXPECT_EQ(response->get_header_value("Content-Type"), "text/html; charset=gbk");
        const std::string& body = response->body;
        const bool past = page > pages;
        EXPECT_EQ(HoldsNoResultText(body), past);
        EXPECT_EQ(FindText(body, MemberBlockBeginMarker()) > 0, !past);
        EXPECT_EQ(FindText(body, MemberBlockEndMarker()) > 0, !past);
        EXPECT_TRUE(body.starts_with("<!DOCTYPE html"));
        EXPECT_GT(FindText(body, "</html>"), 0);
    }
    // A search that finds nobody says so on its first page.
    const auto empty = client.Get(SearchPath({.gender = 1, .ageBegin = 40, .ageEnd = 30}) + "1");
    ASSERT_TRUE(empty);
    EXPECT_TRUE(HoldsNoResultText(empty->body));
}

TEST(DemoServicePages, EntriesOutsideTheMarkersAndVariedMarkupMakeTheCutCount) {
    DemoService service(Regions(), {.seed = 11});
    ASSERT_GT(service.Start(0), 0);
    httplib::Client client("127.0.0.1", service.Port());
    RegexHolder regex;
    ASSERT_TRUE(regex.Create());
    std::string blocks;
    for (int page = 1; page <= 5; ++page) {
        const auto response = client.Get(SearchPath({.gender = 0}) + std::to_string(page));
        ASSERT_TRUE(response);
        MemoryControlSurface whole, cut;
        ParseResultBlock(whole, regex, response->body);
        ParseResultBlock(cut, regex, CutMemberBlock(response->body));
        EXPECT_EQ(cut.RowCount(), 20);
        EXPECT_GT(whole.RowCount(), cut.RowCount()) << "sidebar members sit outside the block";
        blocks += CutMemberBlock(response->body);
    }
    for (const char* spelling : {"<img", "<IMG", "<Img", "SRC=", "src=", "Alt=", "<P>", "<SPAN",
                                 "<img\t", "\n/>", "\r\n", "LastLoginDesc_"}) {
        EXPECT_GT(FindText(blocks, spelling), 0) << "no " << spelling;
    }
}

TEST(DemoServicePhotos, PhotosAreSmallJpegsThatDifferBetweenMembers) {
    DemoService service(Regions(), {.seed = 4});
    ASSERT_GT(service.Start(0), 0);
    httplib::Client client("127.0.0.1", service.Port());
    std::set<std::string> bodies;
    int checked = 0;
    for (const DemoMember& m : service.Population().Members()) {
        if (m.photo != PhotoFate::Good || checked == 40) {
            continue;
        }
        ++checked;
        const auto response = client.Get("/photos/" + m.id + ".jpg");
        ASSERT_TRUE(response);
        ASSERT_EQ(response->status, 200) << m.id;
        EXPECT_EQ(response->get_header_value("Content-Type"), "image/jpeg");
        const std::string& body = response->body;
        EXPECT_GT(body.size(), 3000u);
        EXPECT_LT(body.size(), 40000u);
        QImage image;
        ASSERT_TRUE(
            image.loadFromData(QByteArray(body.data(), static_cast<qsizetype>(body.size())), "JPG"))
            << m.id;
        EXPECT_EQ(image.size(), QSize(100, 125));
        bodies.insert(body);
        const auto again = client.Get("/photos/" + m.id + ".jpg");
        ASSERT_TRUE(again);
        EXPECT_EQ(again->body, body) << "a photo stays the same";
    }
    EXPECT_EQ(bodies.size(), 40u);
}

TEST(DemoServicePhotos, MissingAndBrokenPhotosComeInTheirSharesAndFailAsDesigned) {
    int members = 0, missing = 0, broken = 0;
    for (const std::uint64_t seed : {1u, 2u, 3u}) {
        const auto population = DemoPopulation::Build(seed, Regions());
        for (const DemoMember& m : population.Members()) {
            ++members;
            missing += m.photo == PhotoFate::Missing ? 1 : 0;
            broken += m.photo == PhotoFate::Broken ? 1 : 0;
        }
    }
    EXPECT_NEAR(static_cast<double>(missing) / members, 0.03, 0.008);
    EXPECT_NEAR(static_cast<double>(broken) / members, 0.02, 0.007);

    DemoService service(Regions(), {.seed = 6});
    ASSERT_GT(service.Start(0), 0);
    httplib::Client client("127.0.0.1", service.Port());
    int missingSeen = 0, brokenSeen = 0;
    for (const DemoMember& m : service.Population().Members()) {
        if (m.photo == PhotoFate::Missing && missingSeen < 5) {
            ++missingSeen;
            const auto response = client.Get("/photos/" + m.id + ".jpg");
            ASSERT_TRUE(response);
            EXPECT_EQ(response->status, 404);
        }
        if (m.photo == PhotoFate::Broken && brokenSeen < 8) {
            ++brokenSeen;
            const auto response = client.Get("/photos/" + m.id + ".jpg");
            ASSERT_TRUE(response);
            EXPECT_EQ(response->status, 200);
            const std::string& body = response->body;
            EXPECT_FALSE(body.empty());
            const bool complete = body.size() > 2 && body.ends_with("\xFF\xD9");
            QImage image;
            const bool decodes = image.loadFromData(
                QByteArray(body.data(), static_cast<qsizetype>(body.size())), "JPG");
            EXPECT_FALSE(complete && decodes) << m.id << " should be broken";
        }
    }
    EXPECT_EQ(missingSeen, 5);
    EXPECT_EQ(brokenSeen, 8);
    const auto unknown = client.Get("/photos/1.jpg");
    ASSERT_TRUE(unknown);
    EXPECT_EQ(unknown->status, 404);
}

// The photo size option of the benchmarks: the same pictures, grown by comment segments.
TEST(DemoServicePhotos, PaddedPhotosKeepTheirPictureAndReachTheAskedSize) {
    DemoService plain(Regions(), {.seed = 4});
    DemoService padded(Regions(), {.seed = 4, .photoBytes = 30000});
    ASSERT_GT(plain.Start(0), 0);
    ASSERT_GT(padded.Start(0), 0);
    httplib::Client plainClient("127.0.0.1", plain.Port());
    httplib::Client paddedClient("127.0.0.1", padded.Port());
    const auto decode = [](const std::string& body) {
        QImage image;
        image.loadFromData(QByteArray(body.data(), static_cast<qsizetype>(body.size())), "JPG");
        return image;
    };
    int checked = 0;
    for (const DemoMember& m : plain.Population().Members()) {
        if (m.photo != PhotoFate::Good || checked == 5) {
            continue;
        }
        ++checked;
        const auto small = plainClient.Get("/photos/" + m.id + ".jpg");
        const auto large = paddedClient.Get("/photos/" + m.id + ".jpg");
        ASSERT_TRUE(small && large);
        EXPECT_GE(large->body.size(), 30000u);
        EXPECT_LT(large->body.size(), 30005u);
        const QImage picture = decode(large->body);
        ASSERT_FALSE(picture.isNull()) << m.id;
        EXPECT_EQ(picture, decode(small->body)) << m.id;
    }
    EXPECT_EQ(checked, 5);
}

TEST(DemoServicePhotos, PaddingLeavesOtherBytesAndLargeEnoughPhotosAlone) {
    const std::string jpeg = PadPhoto(std::string("\xFF\xD8\xFF\xD9", 4), 0);
    struct Case {
        std::string in;
        int minimum;
        std::size_t expectedSize;
    };
    const std::vector<Case> cases = {
        {"GIF89a....", 100000, 10},                       // not a JPEG
        {jpeg, 0, 4},                                     // no padding asked
        {jpeg, 3, 4},                                     // already large enough
        {jpeg, 9, 9},                                     // one small segment
        {jpeg, 200000, 200000},                           // several full segments
        {std::string("\xFF\xD8\xFF\xD9", 4), 6, 9},  // a gap smaller than a segment head
    };
    for (const Case& c : cases) {
        const std::string out = PadPhoto(c.in, c.minimum);
        EXPECT_EQ(out.size(), c.expectedSize) << c.minimum;
        EXPECT_EQ(out.substr(out.size() - 2), c.in.substr(c.in.size() - 2));
    }
    // Every segment's length field covers exactly the bytes up to the next marker.
    const std::string big = PadPhoto(jpeg, 200000);
    std::size_t at = 2;
    while (big.compare(at, 2, "\xFF\xFE") == 0) {
        at += 2 + (static_cast<unsigned char>(big[at + 2]) << 8 |
                   static_cast<unsigned char>(big[at + 3]));
    }
    EXPECT_EQ(big.substr(at), std::string("\xFF\xD9", 2));
}

TEST(DemoServicePopulation, ASeedAlwaysGivesTheSameMembersAndAnotherSeedOthers) {
    const auto first = DemoPopulation::Build(9, Regions());
    const auto again = DemoPopulation::Build(9, Regions());
    const auto other = DemoPopulation::Build(10, Regions());
    ASSERT_EQ(first.Members().size(), 4000u);
    std::set<std::string> ids;
    int sameAsOther = 0;
    for (std::size_t i = 0; i < first.Members().size(); ++i) {
        const DemoMember& m = first.Members()[i];
        EXPECT_EQ(m.id, again.Members()[i].id);
        EXPECT_EQ(m.nickname, again.Members()[i].nickname);
        EXPECT_EQ(m.look, again.Members()[i].look);
        sameAsOther += m.id == other.Members()[i].id ? 1 : 0;
        ids.insert(m.id);
        EXPECT_TRUE(m.nickname.find("演示") != std::string::npos ||
                    m.nickname.find("测试") != std::string::npos)
            << m.nickname;
        EXPECT_GE(m.age, 18);
        EXPECT_LE(m.age, 99);
        EXPECT_GE(m.height, 129);
        EXPECT_LE(m.height, 210);
        EXPECT_TRUE(m.marriage == 1 || m.marriage == 3 || m.marriage == 4);
        EXPECT_GE(m.salary, 1);
        EXPECT_LE(m.salary, 9);
        EXPECT_GE(m.education, 2);
        EXPECT_LE(m.education, 7);
        EXPECT_FALSE(m.regionCode.empty());
        EXPECT_EQ(Utf8ToGbk(m.regionText).find('?'), std::string::npos) << m.regionText;
    }
    EXPECT_EQ(ids.size(), 4000u) << "member IDs are unique";
    EXPECT_LT(sameAsOther, 10);
}

TEST(DemoServiceQuery, ValuesTheSiteCannotReadFindNobodyAndOpenValuesFindEveryone) {
    const auto population = DemoPopulation::Build(1, Regions());
    const auto count = [&](httplib::Params params) {
        return population.Matching(DemoQuery::FromParams(params)).size();
    };
    const std::size_t everyone = population.Members().size();
    struct Case {
        httplib::Params params;
        bool findsEveryone;
        bool findsNobody;
    };
    const std::vector<Case> cases = {
        {{}, true, false},
        {{{"gender", "-1"}, {"workcitycity", "101-1000"}, {"Marriage", "-1"}}, true, false},
        {{{"workcitycity", "-1"}}, true, false},
        {{{"gender", "abc"}}, false, true},
        {{{"agebegin", "2x"}}, false, true},
        {{{"gender", "2"}}, false, true},
        {{{"Marriage", "2"}}, false, true},
        {{{"workcitycity", "99999999"}}, false, true},
        {{{"workcitycity", "10199000"}}, false, true},
        {{{"gender", "1"}}, false, false},
    };
    for (const Case& c : cases) {
        const std::size_t found = count(c.params);
        if (c.findsEveryone) {
            EXPECT_EQ(found, everyone);
        } else if (c.findsNobody) {
            EXPECT_EQ(found, 0u);
        } else {
            EXPECT_GT(found, 0u);
            EXPECT_LT(found, everyone);
        }
    }
    EXPECT_EQ(DemoQuery::FromParams({{"currentpage", "0"}}).Page(), 1);
    EXPECT_EQ(DemoQuery::FromParams({{"currentpage", "x"}}).Page(), 1);
    EXPECT_EQ(DemoQuery::FromParams({{"currentpage", "7"}}).Page(), 7);
}

TEST(DemoServicePages, ProfileAndPlainPagesAnswerInGbkAndUnknownPathsAreNotFound) {
    DemoService service(Regions(), {.seed = 8});
    ASSERT_GT(service.Start(0), 0);
    httplib::Client client("127.0.0.1", service.Port());
    const DemoMember& member = service.Population().Members().front();

    const auto profile = client.Get("/profile/getmemberdata.jsps?memberid=" + member.id);
    ASSERT_TRUE(profile);
    EXPECT_EQ(profile->status, 200);
    EXPECT_EQ(profile->get_header_value("Content-Type"), "text/html; charset=gbk");
    for (const std::string& shown :
         {member.id, Gbk(member.nickname), Gbk(member.regionText), Gbk(AgeText(member)),
          PhotoUrl(Host(service), member), Gbk(std::to_string(member.height) + "厘米")}) {
        EXPECT_GT(FindText(profile->body, shown), 0) << GbkToUtf8(shown);
    }

    struct Case {
        std::string path;
        int status;
    };
    for (const Case& c : std::vector<Case>{{"/download.html", 200},
                                           {"/blog.html", 200},
                                           {"/home.html", 200},
                                           {"/forum.html", 200},
                                           {"/", 200},
                                           {"/downloadXhtml", 404},
                                           {"/nothing.html", 404},
                                           {"/photos/abc.jpg", 404},
                                           {"/profile/getmemberdata.jsps?memberid=1", 404},
                                           {"/profile/getmemberdata.jsps", 404}}) {
        const auto response = client.Get(c.path);
        ASSERT_TRUE(response) << c.path;
        EXPECT_EQ(response->status, c.status) << c.path;
        EXPECT_EQ(response->get_header_value("Content-Type"), "text/html; charset=gbk") << c.path;
        EXPECT_GT(FindText(response->body, Gbk("缘来演示网")), 0) << c.path;
    }
}

TEST(DemoServicePages, PhotoAddressesNameTheRequestedHostUnlessItIsNotAPlainHost) {
    DemoService service(Regions(), {.seed = 12});
    ASSERT_GT(service.Start(0), 0);
    httplib::Client client("127.0.0.1", service.Port());
    const std::string path = SearchPath({.gender = 1}) + "1";
    const DemoMember& first = *MembersOnPage(
        service.Population().Matching(DemoQuery::FromParams({{"gender", "1"}})), 1)[0];

    const auto named = client.Get(path, {{"Host", "localhost:18080"}});
    ASSERT_TRUE(named);
    EXPECT_GT(FindText(named->body, PhotoUrl("localhost:18080", first)), 0);

    const auto hostile = client.Get(path, {{"Host", "x\"><script>alert(1)</script>"}});
    ASSERT_TRUE(hostile);
    EXPECT_EQ(FindText(hostile->body, "<script>"), -1);
    EXPECT_GT(FindText(hostile->body, PhotoUrl(Host(service), first)), 0);
}

TEST(DemoServiceOptions, LatencyDelaysEveryResponse) {
    using Clock = std::chrono::steady_clock;
    const auto timeOf = [](int latencyMs, const std::string& path) {
        DemoService service(Regions(), {.seed = 1, .latencyMs = latencyMs});
        EXPECT_GT(service.Start(0), 0);
        httplib::Client client("127.0.0.1", service.Port());
        const auto start = Clock::now();
        const auto response = client.Get(path);
        EXPECT_TRUE(response);
        return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
    };
    const int latencyMs = 250 * testing_support::kSanitizerSlowdown;
    for (const std::string path :
         {"/search/getfastmdata.jsps?gender=1&currentpage=1", "/photos/1.jpg", "/home.html"}) {
        EXPECT_GE(timeOf(latencyMs, path), latencyMs) << path;
        EXPECT_LT(timeOf(0, path), latencyMs) << path;
    }
}

// The executable, as scripts start it: the chosen port on the first line of standard output,
// one log line per request on standard error.
class DemoServiceProcess {
public:
    DemoServiceProcess(std::vector<std::string> args, const std::string& errorFile) {
        // Everything the child needs is made before the fork: after it, only exec.
        std::vector<char*> argv{const_cast<char*>(MIYOUTONG_DEMO_SERVICE_EXE)};
        for (std::string& arg : args) {
            argv.push_back(arg.data());
        }
        argv.push_back(nullptr);
        const int error = open(errorFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        int out[2];
        if (error < 0 || pipe2(out, O_CLOEXEC) != 0) {
            ADD_FAILURE() << "cannot set up the process";
            return;
        }
        pid_ = fork();
        if (pid_ == 0) {
            dup2(out[1], STDOUT_FILENO);
            dup2(error, STDERR_FILENO);
            execv(MIYOUTONG_DEMO_SERVICE_EXE, argv.data());
            _exit(127);
        }
        close(error);
        close(out[1]);
        output_ = fdopen(out[0], "r");
    }

    ~DemoServiceProcess() {
        if (pid_ > 0 && !exited_) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
        if (output_ != nullptr) {
            std::fclose(output_);
        }
    }

    std::string FirstLine() {
        char line[256] = {};
        if (output_ == nullptr || std::fgets(line, sizeof line, output_) == nullptr) {
            return {};
        }
        return line;
    }

    int ExitCode() {
        int status = 0;
        waitpid(pid_, &status, 0);
        exited_ = true;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    pid_t pid_ = -1;
    FILE* output_ = nullptr;
    bool exited_ = false;
};

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(DemoServiceExecutable, PrintsItsPortAndLogsOneLinePerRequest) {
    testing_support::TempDirectory temp;
    const std::string errorFile = temp.str() + "/stderr.txt";
    {
        DemoServiceProcess process({"--port", "0", "--seed", "3", "--data", MIYOUTONG_DATA_DB},
                                   errorFile);
        const std::string line = process.FirstLine();
        ASSERT_TRUE(line.starts_with("listening on 127.0.0.1:")) << line;
        const int port = std::stoi(line.substr(std::string("listening on 127.0.0.1:").size()));
        httplib::Client client("127.0.0.1", port);
        const auto page = client.Get("/search/getfastmdata.jsps?gender=0&currentpage=2");
        ASSERT_TRUE(page);
        EXPECT_EQ(page->status, 200);
        const auto missing = client.Get("/nothing");
        ASSERT_TRUE(missing);
        const auto expectedPopulation = DemoPopulation::Build(3, Regions());
        const DemoMember& firstMan = *MembersOnPage(
            expectedPopulation.Matching(DemoQuery::FromParams({{"gender", "0"}})), 2)[0];
        EXPECT_GT(FindTextNoCase(page->body, "lastlogindesc_" + firstMan.id), 0)
            << "the seed option picks the population";
        // The log line is written once the answer is out; give it a moment.
        const auto lines = [&errorFile] {
            const std::string log = ReadFile(errorFile);
            return std::count(log.begin(), log.end(), '\n');
        };
        for (int i = 0; i < 200 && lines() < 2; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    const std::string log = ReadFile(errorFile);
    EXPECT_NE(log.find("GET /search/getfastmdata.jsps?gender=0&currentpage=2 200 "),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("GET /nothing 404 "), std::string::npos) << log;
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 2) << log;
}

TEST(DemoServiceExecutable, RefusesBadOptionsAndAMissingDatabase) {
    testing_support::TempDirectory temp;
    struct Case {
        std::vector<std::string> args;
        int exitCode;
    };
    const std::vector<Case> cases = {
        {{"--port", "70000"}, 2},
        {{"--latency-ms", "-5"}, 2},
        {{"--seed"}, 2},
        {{"--colour", "red"}, 2},
        {{"--port", "0", "--data", temp.str() + "/absent.db"}, 1},
    };
    for (const Case& c : cases) {
        DemoServiceProcess process(c.args, temp.str() + "/stderr.txt");
        EXPECT_EQ(process.FirstLine(), "");
        EXPECT_EQ(process.ExitCode(), c.exitCode) << c.args[0];
    }
}

}  // namespace
}  // namespace miyoutong::demo
