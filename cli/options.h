#pragma once

// Command-line options shared by the commands: "--name V" or "--name=V", and the search
// criteria as item values.

#include <string>
#include <vector>

#include "search/search_query.h"

namespace miyoutong::cli {

// Reads the option at args[i]: its name, and its value when `wantsValue` (from "=V" or from the
// next argument, which is then consumed). False with `error` set when the value is missing.
bool TakeOption(const std::vector<std::string>& args, size_t& i, bool wantsValue,
                std::string& name, std::string& value, std::string& error);

// Item values of the option lists; -1 (no choice) unless given.
struct CriteriaOptions {
    int gender = -1, agebegin = -1, ageend = -1, startRegion = -1, endRegion = -1;
    int marriage = -1, salary = -1, education = -1, h1 = -1, h2 = -1;

    SearchCriteria ToCriteria() const;
};

inline constexpr char kCriteriaUsage[] =
    "[--gender V] [--agebegin V] [--ageend V] [--start-region V] [--end-region V] "
    "[--marriage V] [--salary V] [--education V] [--h1 V] [--h2 V]";

enum class CriterionParse { Taken, NotACriterion, Bad };

// Takes args[i] (and its value) when it names a criterion.
CriterionParse TakeCriterion(const std::vector<std::string>& args, size_t& i,
                             CriteriaOptions& criteria, std::string& error);

}  // namespace miyoutong::cli
