#include "search/search_query.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "common/gbk.h"
#include "common/memory_control_surface.h"
#include "support/run_program.h"

namespace miyoutong {
namespace {

using testing_support::RunProgram;

const std::string kEndpoint =
    "http://" MIYOUTONG_EXPECTED_SEARCH_HOST "/search/getfastmdata.jsps?gender=";

struct RegionCase {
    int start;
    int end;
    std::string value;
};

TEST(RegionValue, FollowsTheRegionRule) {
    const RegionCase cases[] = {
        {5, -1, "10105000"},  // one digit gets a leading 0
        {3, -1, "10103000"},    {0, -1, "10100000"},
        {12, -1, "10112000"},    // two digits stay
        {123, -1, "101123000"},  // no cut to two digits
        {-1, -1, "101-1000"},    // "不限": "-1" is already two bytes
        {-2, -1, "-1"},          // start -2: the end region, whatever it is
        {-2, 0, "0"},           {-2, 3701, "3701"},
        {5, 501, "501"},  // an end region other than "不限" wins
        {-1, 12345, "12345"},   {123, -7, "-7"},
    };
    for (const RegionCase& c : cases) {
        EXPECT_EQ(RegionValue(c.start, c.end), c.value) << c.start << ", " << c.end;
    }
}

TEST(BuildSearchUrl, JoinsThePiecesInOrder) {
    const std::string withEdm =
        BuildSearchUrl("1", "20", "30", "10105000", "-1", "3", "5", 1, "150", "180");
    EXPECT_EQ(withEdm, kEndpoint +
                           "1&agebegin=20&ageend=30&workcitycity=10105000&Marriage=-1&Salary=3"
                           "&Education=5&h1=150&h2=180&photo=1&edm=1&currentpage=");
    EXPECT_EQ(withEdm + "1", kEndpoint +
                                 "1&agebegin=20&ageend=30&workcitycity=10105000&Marriage=-1"
                                 "&Salary=3&Education=5&h1=150&h2=180&photo=1&edm=1&currentpage=1");

    for (const int flag : {0, 2, -1}) {
        EXPECT_EQ(BuildSearchUrl("0", "-1", "-1", "-1", "-1", "-1", "-1", flag, "-1", "-1"),
                  kEndpoint +
                      "0&agebegin=-1&ageend=-1&workcitycity=-1&Marriage=-1&Salary=-1"
                      "&Education=-1&h1=-1&h2=-1&photo=1&currentpage=")
            << flag;
    }
}

TEST(BuildSearchUrl, TakesTheCriteriaInOrder) {
    const SearchCriteria criteria{"1", "2", "3", "4", "5", "6", "7", "8", "9"};
    EXPECT_EQ(BuildSearchUrl(criteria, 1),
              BuildSearchUrl("1", "2", "3", "4", "5", "6", "7", 1, "8", "9"));
    EXPECT_EQ(BuildSearchUrl(criteria, 1),
              kEndpoint +
                  "1&agebegin=2&ageend=3&workcitycity=4&Marriage=5&Salary=6"
                  "&Education=7&h1=8&h2=9&photo=1&edm=1&currentpage=");
}

// Fills a list with (text, value) items and selects one.
void SetList(MemoryControlSurface& controls, Control list,
             const std::vector<std::pair<std::string, int>>& items, int selection) {
    controls.ComboClear(list);
    for (const auto& [text, value] : items) {
        controls.ComboAddItem(list, Gbk(text), value);
    }
    controls.ComboSelect(list, selection);
}

class CollectSearchCriteriaTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetList(controls_, Control::组合框_性别, {{"请选择", -1}, {"男", 0}, {"女", 1}}, 2);
        for (const Control list :
             {Control::组合框_起始年龄, Control::组合框_结束年龄, Control::组合框_婚姻状况,
              Control::组合框_月收入, Control::组合框_教育程度}) {
            SetList(controls_, list, {{"请选择", -1}, {"a", 18}, {"b", 25}}, 0);
        }
        for (const Control list : {Control::组合框_起始地区, Control::组合框_结束地区,
                                   Control::组合框_起始身高, Control::组合框_结束身高}) {
            SetList(controls_, list, {{"不限", -1}, {"a", 3}, {"b", 150}}, 0);
        }
    }

    MemoryControlSurface controls_;
};

TEST_F(CollectSearchCriteriaTest, OpenCriteriaAreMinusOne) {
    const SearchCriteria c = CollectSearchCriteria(controls_);
    EXPECT_EQ(c.gender, "1");
    for (const std::string* value :
         {&c.agebegin, &c.ageend, &c.marriage, &c.salary, &c.education, &c.h1, &c.h2}) {
        EXPECT_EQ(*value, "-1");
    }
    EXPECT_EQ(c.workcitycity, "101-1000");
}

TEST_F(CollectSearchCriteriaTest, ReadsEachListsItemValue) {
    controls_.ComboSelect(Control::组合框_起始年龄, 1);
    controls_.ComboSelect(Control::组合框_结束年龄, 2);
    controls_.ComboSelect(Control::组合框_婚姻状况, 1);
    controls_.ComboSelect(Control::组合框_月收入, 2);
    controls_.ComboSelect(Control::组合框_教育程度, 1);
    controls_.ComboSelect(Control::组合框_起始身高, 2);
    controls_.ComboSelect(Control::组合框_结束身高, 1);
    controls_.ComboSelect(Control::组合框_起始地区, 1);
    const SearchCriteria c = CollectSearchCriteria(controls_);
    EXPECT_EQ(c.agebegin, "18");
    EXPECT_EQ(c.ageend, "25");
    EXPECT_EQ(c.marriage, "18");
    EXPECT_EQ(c.salary, "25");
    EXPECT_EQ(c.education, "18");
    EXPECT_EQ(c.h1, "150");
    EXPECT_EQ(c.h2, "3");
    EXPECT_EQ(c.workcitycity, "10103000");

    controls_.ComboSelect(Control::组合框_结束地区, 2);
    EXPECT_EQ(CollectSearchCriteria(controls_).workcitycity, "150");
}

TEST_F(CollectSearchCriteriaTest, NoSelectionReadsAsMinusOne) {
    controls_.ComboSelect(Control::组合框_性别, -1);
    controls_.ComboClear(Control::组合框_月收入);
    SetList(controls_, Control::组合框_起始地区, {{"x", -2}}, 0);
    controls_.ComboSelect(Control::组合框_结束地区, -1);
    const SearchCriteria c = CollectSearchCriteria(controls_);
    EXPECT_EQ(c.gender, "-1");
    EXPECT_EQ(c.salary, "-1");
    EXPECT_EQ(c.workcitycity, "-1");
}

// miyoutong-cli url
struct UrlCommandCase {
    std::vector<std::string> args;
    std::string query;  // after "gender="
};

TEST(UrlCommand, PrintsThePrefixWithEdm) {
    const UrlCommandCase cases[] = {
        {{},
         "-1&agebegin=-1&ageend=-1&workcitycity=101-1000&Marriage=-1&Salary=-1&Education=-1"
         "&h1=-1&h2=-1"},
        {{"--gender", "1", "--agebegin", "20", "--ageend", "35", "--start-region", "5",
          "--marriage", "1", "--salary", "4", "--education", "5", "--h1", "155", "--h2", "170"},
         "1&agebegin=20&ageend=35&workcitycity=10105000&Marriage=1&Salary=4&Education=5"
         "&h1=155&h2=170"},
        {{"--start-region", "12", "--end-region", "1201", "--gender=0"},
         "0&agebegin=-1&ageend=-1&workcitycity=1201&Marriage=-1&Salary=-1&Education=-1"
         "&h1=-1&h2=-1"},
        {{"--start-region", "-2", "--gender", "1", "--gender", "0"},
         "0&agebegin=-1&ageend=-1&workcitycity=-1&Marriage=-1&Salary=-1&Education=-1"
         "&h1=-1&h2=-1"},
    };
    for (const UrlCommandCase& c : cases) {
        std::vector<std::string> args{"url"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const auto result = RunProgram(MIYOUTONG_CLI, args);
        EXPECT_EQ(result.exitCode, 0);
        EXPECT_EQ(result.out, kEndpoint + c.query + "&photo=1&edm=1&currentpage=\n");
        EXPECT_EQ(result.err, "");
    }
}

TEST(UrlCommand, RejectsBadArgumentsWithOneLine) {
    const std::vector<std::vector<std::string>> cases = {
        {"--gender"},       {"--gender", "x"},       {"--gender", "1.5"}, {"--gender", ""},
        {"--gender", "+1"}, {"--h1", "99999999999"}, {"--colour", "1"},   {"1"},
        {"--gender=", "1"}, {"--start-region=a"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args{"url"};
        args.insert(args.end(), c.begin(), c.end());
        const auto result = RunProgram(MIYOUTONG_CLI, args);
        EXPECT_EQ(result.exitCode, 2) << ::testing::PrintToString(c);
        EXPECT_EQ(result.out, "");
        ASSERT_FALSE(result.err.empty());
        EXPECT_EQ(result.err.find('\n'), result.err.size() - 1) << result.err;
    }
}

}  // namespace
}  // namespace miyoutong
