#include <cstdio>
#include <string>
#include <vector>

#include "cli/command.h"
#include "web/fetch.h"

namespace miyoutong::cli {

namespace {

constexpr std::string_view kUsage = "fetch [--text] URL";

// Writes the body to standard output as it came; an empty body is a result like any other.
int RunFetch(const std::vector<std::string>& args) {
    bool asText = false;
    std::vector<std::string> positional;
    for (const std::string& arg : args) {
        if (arg == "--text") {
            asText = true;
        } else if (arg.size() > 1 && arg.front() == '-') {
            return UsageError(kUsage, "unknown option '" + arg + "'");
        } else {
            positional.push_back(arg);
        }
    }
    if (positional.size() != 1) {
        return UsageError(kUsage, "expected one URL");
    }
    if (asText) {
        const std::string text = FetchText(positional.front());
        std::fwrite(text.data(), 1, text.size(), stdout);
    } else {
        const Bytes bytes = FetchBytes(positional.front());
        std::fwrite(bytes.data(), 1, bytes.size(), stdout);
    }
    std::fflush(stdout);
    return 0;
}

const CliCommandRegistration kFetch{"fetch", kUsage, RunFetch};

}  // namespace

}  // namespace miyoutong::cli
