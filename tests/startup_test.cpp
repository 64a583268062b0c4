#include "app/startup.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "common/gbk.h"
#include "common/memory_control_surface.h"
#include "support/temp_directory.h"

namespace miyoutong {
namespace {

using testing_support::TempDirectory;

const char kDatabaseFailure[] =
    "获取地区数据库失败，请重新下载本程序！\r\n是否重新下载本程序，点击确定进入下载网址！";

// Remembers which list each item went to, in order.
class RecordingSurface : public MemoryControlSurface {
public:
    int ComboAddItem(Control list, const std::string& text, int value) override {
        if (order.empty() || order.back() != list) {
            order.push_back(list);
        }
        return MemoryControlSurface::ComboAddItem(list, text, value);
    }
    std::vector<Control> order;
};

class StartupTest : public ::testing::Test {
protected:
    void SetUp() override {
        controls_.SetProgramDirectory(dir_.str());
        steps_.downloadPage = "http://download.invalid/";
        steps_.applySkin = [](const std::string&) { return SkinResult::Absent; };
    }

    void ShipDatabase(const std::string& fixture) {
        std::filesystem::copy_file(fixture, dir_.path() / "data.db");
    }

    StartupOutcome Start() { return OnMainWindowCreated(controls_, regions_, regex_, steps_); }

    TempDirectory dir_;
    RecordingSurface controls_;
    RegionCatalogue regions_;
    RegexHolder regex_;
    StartupSteps steps_;
};

TEST_F(StartupTest, NormalStartFillsTheListsInOrder) {
    ShipDatabase(MIYOUTONG_REGION_DATABASE);
    EXPECT_EQ(Start(), StartupOutcome::ShowWindow);
    EXPECT_TRUE(controls_.Messages().empty());
    EXPECT_FALSE(regex_.Empty());
    // Ages first, then the two region lists, then heights.
    const auto first = [&](Control list) {
        return std::find(controls_.order.begin(), controls_.order.end(), list) -
               controls_.order.begin();
    };
    EXPECT_LT(first(Control::组合框_结束年龄), first(Control::组合框_起始地区));
    EXPECT_LT(first(Control::组合框_结束地区), first(Control::组合框_起始身高));
    EXPECT_EQ(controls_.ComboItemCount(Control::组合框_起始地区), 36);
    EXPECT_EQ(controls_.ComboItemText(Control::组合框_起始地区, 1), Gbk("北京"));
    EXPECT_EQ(controls_.ComboItemCount(Control::组合框_结束地区), 1);
    for (Control list : {Control::组合框_起始年龄, Control::组合框_结束年龄, Control::组合框_起始地区,
                         Control::组合框_结束地区, Control::组合框_起始身高,
                         Control::组合框_结束身高}) {
        EXPECT_EQ(controls_.ComboSelection(list), 0) << ControlName(list);
    }
}

TEST_F(StartupTest, UnusableDatabaseOffersTheDownloadPageAndEnds) {
    struct Case {
        const char* name;
        std::string fixture;  // empty: no data.db at all
        int answer;
        bool opensPage;
    };
    const std::string fixtures = MIYOUTONG_FIXTURES_DIR "/regions/";
    const Case cases[] = {
        {"missing, OK", "", kMessageResultOk, true},
        {"missing, Cancel", "", kMessageResultCancel, false},
        {"wrong password, OK", fixtures + "wrong-password.db", kMessageResultOk, true},
        {"no password, Cancel", fixtures + "no-password.db", kMessageResultCancel, false},
        {"not a database", fixtures + "not-a-database.db", kMessageResultOk, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDirectory dir;
        RecordingSurface controls;
        controls.SetProgramDirectory(dir.str());
        if (!c.fixture.empty()) {
            std::filesystem::copy_file(c.fixture, dir.path() / "data.db");
        }
        controls.QueueMessageResult(c.answer);
        RegionCatalogue regions;
        RegexHolder regex;
        EXPECT_EQ(OnMainWindowCreated(controls, regions, regex, steps_),
                  StartupOutcome::EndProgram);
        const auto messages = controls.Messages();
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].text, Gbk(kDatabaseFailure));
        EXPECT_EQ(messages[0].flags, 65);
        EXPECT_EQ(messages[0].caption, Gbk("提示"));
        EXPECT_EQ(controls.OpenedAddresses(),
                  c.opensPage ? std::vector<std::string>{"http://download.invalid/"}
                              : std::vector<std::string>{});
        EXPECT_TRUE(controls.order.empty()) << "no list is filled";
        EXPECT_TRUE(regex.Empty());
    }
}

TEST_F(StartupTest, RegexFailureLeavesTheFilledListsEmpty) {
    ShipDatabase(MIYOUTONG_REGION_DATABASE);
    steps_.createRegex = [](RegexHolder&) { return false; };
    EXPECT_EQ(Start(), StartupOutcome::ShowWindow);
    const auto messages = controls_.Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, Gbk("正则表达式创建失败！"));
    EXPECT_EQ(messages[0].flags, 0);
    EXPECT_EQ(messages[0].caption, Gbk("信息："));
    EXPECT_TRUE(controls_.order.empty());
    EXPECT_EQ(controls_.ComboItemValue(Control::组合框_起始年龄,
                                       controls_.ComboSelection(Control::组合框_起始年龄)),
              -1);
}

TEST_F(StartupTest, SkinSteps) {
    ShipDatabase(MIYOUTONG_REGION_DATABASE);
    std::vector<std::string> skinDirectories;
    steps_.applySkin = [&](const std::string& directory) {
        skinDirectories.push_back(directory);
        return SkinResult::Applied;
    };
    EXPECT_EQ(Start(), StartupOutcome::ShowWindow);
    EXPECT_EQ(skinDirectories, std::vector<std::string>{dir_.str()});

    TempDirectory other;
    std::filesystem::copy_file(MIYOUTONG_REGION_DATABASE, other.path() / "data.db");
    RecordingSurface controls;
    controls.SetProgramDirectory(other.str());
    steps_.applySkin = [](const std::string&) { return SkinResult::Unusable; };
    RegionCatalogue regions;
    RegexHolder regex;
    EXPECT_EQ(OnMainWindowCreated(controls, regions, regex, steps_), StartupOutcome::FatalError);
    ASSERT_EQ(controls.Messages().size(), 1u);
    EXPECT_NE(controls.Messages()[0].text.find("SkinH_AttachRes"), std::string::npos);
    EXPECT_TRUE(regex.Empty());
}

}  // namespace
}  // namespace miyoutong
