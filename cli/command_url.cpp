#include <iostream>
#include <string>
#include <vector>

#include "cli/command.h"
#include "cli/options.h"

namespace miyoutong::cli {

namespace {

const std::string kUsage = std::string("url ") + kCriteriaUsage;

// Prints the search URL prefix that a search run with these item values requests.
int RunUrl(const std::vector<std::string>& args) {
    CriteriaOptions criteria;
    for (size_t i = 0; i < args.size(); ++i) {
        std::string error;
        switch (TakeCriterion(args, i, criteria, error)) {
            case CriterionParse::Taken:
                break;
            case CriterionParse::NotACriterion:
                return UsageError(kUsage, "unknown argument '" + args[i] + "'");
            case CriterionParse::Bad:
                return UsageError(kUsage, error);
        }
    }
    std::cout << BuildSearchUrl(criteria.ToCriteria(), 1) << "\n";
    return 0;
}

const CliCommandRegistration kUrl{"url", kUsage, RunUrl};

}  // namespace

}  // namespace miyoutong::cli
