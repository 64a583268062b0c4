// miyoutong-cli regions, run as a program.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace miyoutong {
namespace {

struct CliRun {
    int exitCode = -1;
    std::vector<std::string> lines;  // standard output
    std::string errors;              // standard error
};

CliRun RunCli(const std::string& arguments) {
    const std::string errorFile =
        (std::filesystem::temp_directory_path() / ("regions-cli-" + std::to_string(getpid())))
            .string();
    const std::string command =
        std::string("'") + MIYOUTONG_CLI + "' regions " + arguments + " 2>'" + errorFile + "'";
    CliRun run;
    FILE* out = popen(command.c_str(), "r");
    if (out == nullptr) {
        return run;
    }
    std::string text;
    char buffer[4096];
    std::size_t got = 0;
    while ((got = fread(buffer, 1, sizeof buffer, out)) > 0) {
        text.append(buffer, got);
    }
    const int status = pclose(out);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) {
        run.lines.push_back(line);
    }
    std::ifstream errors(errorFile);
    run.errors.assign(std::istreambuf_iterator<char>(errors), std::istreambuf_iterator<char>());
    std::filesystem::remove(errorFile);
    return run;
}

std::string Fixture(const std::string& name) {
    return std::string("'") + MIYOUTONG_FIXTURES_DIR + "/regions/" + name + "'";
}

TEST(RegionsCommand, PrintsTheStartListThenEveryEndList) {
    const CliRun run = RunCli(Fixture("edge-ids.db"));
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    const std::vector<std::string> expected = {
        "1\t不限\t-1",
        "1\t甲\t7",
        "1\t乙\t7",
        "1\t丙\t7",
        "1\t丁\t12",
        "1\t戊\t-3",
        "1\t己\t0",
        "1\t庚\t0",
        "1\t辛\t0",
        "1\t海外\t-2",
        "2\t-1\t不限\t-1",
        "2\t-1\t乙负一\t10199002",
        "2\t-1\t丁负一\t10199001",
        "2\t7\t不限\t-1",
        "2\t7\t西七\t500",
        "2\t7\t东七\t10107001",
        "2\t7\t北七\t42",
        "2\t7\t不限\t-1",
        "2\t7\t西七\t500",
        "2\t7\t东七\t10107001",
        "2\t7\t北七\t42",
        "2\t7\t不限\t-1",
        "2\t7\t西七\t500",
        "2\t7\t东七\t10107001",
        "2\t7\t北七\t42",
        "2\t12\t不限\t-1",
        "2\t12\t乙十二\t10112002",
        "2\t12\t丁十二\t10112001",
        "2\t12\t空十二\t0",
        "2\t-3\t不限\t-1",
        "2\t0\t不限\t-1",
        "2\t0\t乙零\t0",
        "2\t0\t丁零\t0",
        "2\t0\t不限\t-1",
        "2\t0\t乙零\t0",
        "2\t0\t丁零\t0",
        "2\t0\t不限\t-1",
        "2\t0\t乙零\t0",
        "2\t0\t丁零\t0",
        "2\t-2\t乙国外\t10200002",
        "2\t-2\t丁国外\t10200001",
    };
    EXPECT_EQ(run.lines, expected);
    EXPECT_EQ(run.errors, "");
}

TEST(RegionsCommand, ReadsDataDbBesideItselfByDefault) {
    const CliRun run = RunCli("");
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    // 36 start items; end lists: 不限 alone, 34 regions with 不限 and 466 rows, 18 abroad.
    ASSERT_EQ(run.lines.size(), 36u + 1u + 34u + 466u + 18u);
    EXPECT_EQ(run.lines[0], "1\t不限\t-1");
    EXPECT_EQ(run.lines[35], "1\t海外\t-2");
    EXPECT_EQ(run.lines[36], "2\t-1\t不限\t-1");
    EXPECT_EQ(run.lines[37], "2\t1\t不限\t-1");
    EXPECT_EQ(run.lines[38], "2\t1\t东城区\t10101001");
    EXPECT_EQ(run.lines.back(), "2\t-2\t泰国\t10200018");
}

TEST(RegionsCommand, UnopenableDatabaseIsOneErrorLineAndExitCode2) {
    for (const std::string& file :
         {Fixture("wrong-password.db"), Fixture("truncated.db"), Fixture("missing.db")}) {
        const CliRun run = RunCli(file);
        EXPECT_EQ(run.exitCode, 2) << file;
        EXPECT_TRUE(run.lines.empty()) << file;
        ASSERT_FALSE(run.errors.empty()) << file;
        EXPECT_EQ(run.errors.find('\n'), run.errors.size() - 1) << run.errors;
    }
    EXPECT_EQ(RunCli(Fixture("data.db") + " " + Fixture("edge-ids.db")).exitCode, 2);
}

}  // namespace
}  // namespace miyoutong
