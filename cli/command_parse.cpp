#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "cli/command.h"
#include "cli/row_format.h"
#include "common/gbk.h"
#include "common/memory_control_surface.h"
#include "search/page_cut.h"
#include "search/regex_holder.h"
#include "search/result_parser.h"

namespace miyoutong::cli {

namespace {

constexpr std::string_view kUsage = "parse [--block] [FILE]";
constexpr int kReadError = 1;
constexpr int kNoResult = 3;

bool ReadAll(const std::string& path, std::string& out) {
    if (path.empty() || path == "-") {
        std::ostringstream buffer;
        buffer << std::cin.rdbuf();
        out = buffer.str();
        return !std::cin.bad();
    }
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        return false;
    }
    out.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    return !file.bad();
}

// Parses a result page as the page walk does (or, with --block, a member block) and prints
// member ID, nickname, age, region, integrity value and photo URL of each entry, tab-separated.
int RunParse(const std::vector<std::string>& args) {
    bool isBlock = false;
    std::vector<std::string> positional;
    for (const std::string& arg : args) {
        if (arg == "--block") {
            isBlock = true;
        } else if (arg.size() > 1 && arg.front() == '-') {
            return UsageError(kUsage, "unknown option '" + arg + "'");
        } else {
            positional.push_back(arg);
        }
    }
    if (positional.size() > 1) {
        return UsageError(kUsage, "expected at most one FILE");
    }
    const std::string path = positional.empty() ? std::string() : positional.front();
    std::string input;
    if (!ReadAll(path, input)) {
        std::cerr << "miyoutong-cli: cannot read '" << (path.empty() ? "-" : path)
                  << "': " << std::strerror(errno) << "\n";
        return kReadError;
    }
    if (!isBlock) {
        if (HoldsNoResultText(input)) {
            return kNoResult;
        }
        input = CutMemberBlock(input);
    }
    RegexHolder regex;
    if (!regex.Create()) {
        std::cerr << "miyoutong-cli: cannot compile the member-entry pattern\n";
        return kReadError;
    }
    MemoryControlSurface controls;
    ParseResultBlock(controls, regex, input);
    std::string out;
    for (int row = 0; row < controls.RowCount(); ++row) {
        std::vector<std::string> fields;
        for (int column = kColumnMemberId; column <= kColumnPhotoUrl; ++column) {
            fields.push_back(TsvField(controls.CellText(row, column)));
        }
        out += JoinLine(fields, '\t');
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
    std::fflush(stdout);
    return 0;
}

const CliCommandRegistration kParse{"parse", kUsage, RunParse};

}  // namespace

}  // namespace miyoutong::cli
