#include <charconv>
#include <iostream>
#include <string>
#include <vector>

#include "cli/command.h"
#include "common/text.h"
#include "search/search_query.h"

namespace miyoutong::cli {

namespace {

constexpr std::string_view kUsage =
    "url [--gender V] [--agebegin V] [--ageend V] [--start-region V] [--end-region V] "
    "[--marriage V] [--salary V] [--education V] [--h1 V] [--h2 V]";

struct UrlOptions {
    int gender = -1, agebegin = -1, ageend = -1, startRegion = -1, endRegion = -1;
    int marriage = -1, salary = -1, education = -1, h1 = -1, h2 = -1;
};

int* OptionTarget(UrlOptions& options, std::string_view name) {
    const std::pair<std::string_view, int*> table[] = {
        {"--gender", &options.gender},
        {"--agebegin", &options.agebegin},
        {"--ageend", &options.ageend},
        {"--start-region", &options.startRegion},
        {"--end-region", &options.endRegion},
        {"--marriage", &options.marriage},
        {"--salary", &options.salary},
        {"--education", &options.education},
        {"--h1", &options.h1},
        {"--h2", &options.h2},
    };
    for (const auto& [optionName, target] : table) {
        if (optionName == name) {
            return target;
        }
    }
    return nullptr;
}

// An item value: a whole decimal integer that fits an int, optionally negative.
bool ParseItemValue(std::string_view text, int& value) {
    if (text.empty() || text.front() == '+') {
        return false;
    }
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size();
}

// Prints the search URL prefix that a search run with these item values requests.
int RunUrl(const std::vector<std::string>& args) {
    UrlOptions options;
    for (size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        std::string value;
        bool hasValue = false;
        if (const size_t equals = name.find('=');
            name.starts_with("--") && equals != std::string::npos) {
            value = name.substr(equals + 1);
            name.resize(equals);
            hasValue = true;
        }
        int* target = OptionTarget(options, name);
        if (target == nullptr) {
            return UsageError(kUsage, "unknown argument '" + args[i] + "'");
        }
        if (!hasValue) {
            if (i + 1 >= args.size()) {
                return UsageError(kUsage, "option '" + name + "' needs a value");
            }
            value = args[++i];
        }
        if (!ParseItemValue(value, *target)) {
            return UsageError(kUsage,
                              "option '" + name + "' needs an integer, got '" + value + "'");
        }
    }
    const std::string url = BuildSearchUrl(
        DecimalText(options.gender), DecimalText(options.agebegin), DecimalText(options.ageend),
        RegionValue(options.startRegion, options.endRegion), DecimalText(options.marriage),
        DecimalText(options.salary), DecimalText(options.education), 1, DecimalText(options.h1),
        DecimalText(options.h2));
    std::cout << url << "\n";
    return 0;
}

const CliCommandRegistration kUrl{"url", kUsage, RunUrl};

}  // namespace

}  // namespace miyoutong::cli
