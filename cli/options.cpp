#include "cli/options.h"

#include <charconv>

#include "common/text.h"

namespace miyoutong::cli {

namespace {

int* CriterionTarget(CriteriaOptions& options, std::string_view name) {
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

std::string OptionName(const std::string& arg) {
    const size_t equals = arg.find('=');
    return arg.starts_with("--") && equals != std::string::npos ? arg.substr(0, equals) : arg;
}

}  // namespace

bool TakeOption(const std::vector<std::string>& args, size_t& i, bool wantsValue,
                std::string& name, std::string& value, std::string& error) {
    name = OptionName(args[i]);
    if (name.size() < args[i].size()) {
        value = args[i].substr(name.size() + 1);
        return true;
    }
    if (!wantsValue) {
        return true;
    }
    if (i + 1 >= args.size()) {
        error = "option '" + name + "' needs a value";
        return false;
    }
    value = args[++i];
    return true;
}

SearchCriteria CriteriaOptions::ToCriteria() const {
    return {DecimalText(gender),   DecimalText(agebegin),
            DecimalText(ageend),   RegionValue(startRegion, endRegion),
            DecimalText(marriage), DecimalText(salary),
            DecimalText(education), DecimalText(h1),
            DecimalText(h2)};
}

CriterionParse TakeCriterion(const std::vector<std::string>& args, size_t& i,
                             CriteriaOptions& criteria, std::string& error) {
    int* target = CriterionTarget(criteria, OptionName(args[i]));
    if (target == nullptr) {
        return CriterionParse::NotACriterion;
    }
    std::string name, value;
    if (!TakeOption(args, i, true, name, value, error)) {
        return CriterionParse::Bad;
    }
    if (!ParseItemValue(value, *target)) {
        error = "option '" + name + "' needs an integer, got '" + value + "'";
        return CriterionParse::Bad;
    }
    return CriterionParse::Taken;
}

}  // namespace miyoutong::cli
