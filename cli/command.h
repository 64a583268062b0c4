#pragma once

// miyoutong-cli commands. Each command lives in its own file and registers itself:
//   static const CliCommandRegistration kFetch{"fetch", "fetch [--text] URL", RunFetch};
// A command gets its arguments after the command name and returns the exit code.

#include <string>
#include <string_view>
#include <vector>

namespace miyoutong::cli {

// Exit code for bad arguments; the command has printed a one-line usage error.
inline constexpr int kUsageError = 2;

using CommandFunction = int (*)(const std::vector<std::string>& args);

struct CliCommand {
    std::string_view name;
    std::string_view usage;
    CommandFunction run;
};

struct CliCommandRegistration {
    CliCommandRegistration(std::string_view name, std::string_view usage, CommandFunction run);
};

const std::vector<CliCommand>& Commands();

// Prints "usage: miyoutong-cli <usage>" with a reason on standard error; returns kUsageError.
int UsageError(std::string_view usage, std::string_view reason);

}  // namespace miyoutong::cli
