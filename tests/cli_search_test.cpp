// miyoutong-cli search, run as a program against the demo service.

#include <gtest/gtest.h>

#include <sstream>

#include "support/run_program.h"
#include "support/temp_directory.h"
#include "tools/demo-service/demo_query.h"
#include "tools/demo-service/demo_region_loader.h"
#include "tools/demo-service/demo_service.h"

namespace miyoutong {
namespace {

using testing_support::RunProgram;
using testing_support::TempDirectory;

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

class CliSearchTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        auto regions = demo::LoadDemoRegions(MIYOUTONG_DATA_DB, nullptr);
        ASSERT_TRUE(regions);
        service_ = new demo::DemoService(*regions, demo::DemoServiceOptions{});
        ASSERT_GT(service_->Start(0), 0);
    }
    static void TearDownTestSuite() {
        delete service_;
        service_ = nullptr;
    }

    static std::string Host() { return "127.0.0.1:" + std::to_string(service_->Port()); }

    static size_t Expected(const std::multimap<std::string, std::string>& params) {
        return service_->Population().Matching(demo::DemoQuery::FromParams(params)).size();
    }

    static demo::DemoService* service_;
};

demo::DemoService* CliSearchTest::service_ = nullptr;

TEST_F(CliSearchTest, ListsWhatTheServiceShows) {
    struct Case {
        std::vector<std::string> args;
        std::multimap<std::string, std::string> params;
    };
    const Case cases[] = {
        {{"--gender", "1", "--agebegin", "20", "--ageend", "30", "--start-region", "19"},
         {{"gender", "1"}, {"agebegin", "20"}, {"ageend", "30"}, {"workcitycity", "10119000"}}},
        {{"--gender=0", "--h1", "180"}, {{"gender", "0"}, {"h1", "180"}}},
        {{"--gender", "1", "--agebegin", "99", "--ageend", "18"},
         {{"gender", "1"}, {"agebegin", "99"}, {"ageend", "18"}}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = {"search", "--host", Host()};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const auto result = RunProgram(MIYOUTONG_CLI, args);
        ASSERT_EQ(result.exitCode, 0) << result.err;
        const auto lines = Lines(result.out);
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines[0], "序号\t会员ID\t昵称\t年龄\t地区\t诚信值\t相片地址\t是否已下载\t保存地址");
        EXPECT_EQ(lines.size() - 1, std::min<size_t>(Expected(c.params), 1100)) << args[3];
        EXPECT_TRUE(result.err.empty()) << "no progress when stderr is not a terminal";
    }
}

TEST_F(CliSearchTest, FiftyFivePagesAtMost) {
    const auto result = RunProgram(MIYOUTONG_CLI, {"search", "--host", Host(), "--gender", "0"});
    ASSERT_EQ(result.exitCode, 0);
    ASSERT_GT(Expected({{"gender", "0"}}), 1100u);
    EXPECT_EQ(Lines(result.out).size(), 1101u);
}

TEST_F(CliSearchTest, DownloadSavesPhotosAsTheWindowDoes) {
    TempDirectory dir;
    const auto result = RunProgram(MIYOUTONG_CLI,
                                   {"search", "--host", Host(), "--gender", "1", "--start-region",
                                    "9", "--ageend", "40", "--download", dir.str(), "--format",
                                    "csv"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const auto lines = Lines(result.out);
    ASSERT_GT(lines.size(), 1u);
    EXPECT_EQ(lines[0], "序号,会员ID,昵称,年龄,地区,诚信值,相片地址,是否已下载,保存地址");
    int saved = 0, failed = 0;
    for (size_t i = 1; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (line.ends_with(".jpg") && line.find(",下载完成,f/") != std::string::npos) {
            ++saved;
        } else if (line.ends_with(",下载失败,")) {
            ++failed;
        } else {
            ADD_FAILURE() << line;
        }
    }
    EXPECT_EQ(saved + failed, static_cast<int>(lines.size()) - 1);
    EXPECT_EQ(dir.Files().size(), static_cast<size_t>(saved));
    for (const std::string& file : dir.Files()) {
        EXPECT_TRUE(file.starts_with("f/")) << file;
    }
}

TEST_F(CliSearchTest, BadArguments) {
    const std::vector<std::string> cases[] = {
        {"search"},
        {"search", "--host", Host()},
        {"search", "--host", Host(), "--gender", "2"},
        {"search", "--host", Host(), "--gender", "1", "--format", "xml"},
        {"search", "--host", Host(), "--gender", "x"},
        {"search", "--host", Host(), "--gender", "1", "--bogus", "1"},
        {"search", "--host"},
    };
    for (const auto& args : cases) {
        const auto result = RunProgram(MIYOUTONG_CLI, args);
        EXPECT_EQ(result.exitCode, 2) << args.back();
        EXPECT_EQ(Lines(result.err).size(), 1u) << result.err;
        EXPECT_TRUE(result.out.empty());
    }
}

}  // namespace
}  // namespace miyoutong
