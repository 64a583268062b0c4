#include <curl/curl.h>

#include <iostream>

#include "cli/command.h"

namespace miyoutong::cli {

namespace {

std::vector<CliCommand>& Registry() {
    static std::vector<CliCommand> commands;
    return commands;
}

int PrintCommands(std::ostream& out) {
    out << "usage: miyoutong-cli COMMAND ...\n";
    for (const CliCommand& command : Registry()) {
        out << "  miyoutong-cli " << command.usage << "\n";
    }
    return kUsageError;
}

}  // namespace

CliCommandRegistration::CliCommandRegistration(std::string_view name, std::string_view usage,
                                               CommandFunction run) {
    Registry().push_back({name, usage, run});
}

const std::vector<CliCommand>& Commands() { return Registry(); }

int UsageError(std::string_view usage, std::string_view reason) {
    std::cerr << "miyoutong-cli: " << reason << " (usage: miyoutong-cli " << usage << ")\n";
    return kUsageError;
}

}  // namespace miyoutong::cli

int main(int argc, char** argv) {
    using namespace miyoutong::cli;
    curl_global_init(CURL_GLOBAL_DEFAULT);
    if (argc < 2) {
        return PrintCommands(std::cerr);
    }
    const std::string name = argv[1];
    if (name == "--help" || name == "-h" || name == "help") {
        PrintCommands(std::cout);
        return 0;
    }
    for (const CliCommand& command : Commands()) {
        if (command.name == name) {
            const int code = command.run(std::vector<std::string>(argv + 2, argv + argc));
            curl_global_cleanup();
            return code;
        }
    }
    std::cerr << "miyoutong-cli: unknown command '" << name << "'\n";
    return PrintCommands(std::cerr);
}
