#include "tools/demo-service/demo_query.h"

#include <charconv>

namespace miyoutong::demo {

namespace {

std::optional<int> WholeNumber(const std::string& text) {
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end) {
        return std::nullopt;
    }
    return value;
}

bool InRange(int value, int low, int high) {
    return (low == -1 || value >= low) && (high == -1 || value <= high);
}

bool Equal(int value, int wanted) {
    return wanted == -1 || value == wanted;
}

}  // namespace

DemoQuery DemoQuery::FromParams(const std::multimap<std::string, std::string>& params) {
    DemoQuery query;
    const std::pair<const char*, int*> numberKeys[] = {
        {"gender", &query.gender_},  {"agebegin", &query.ageLow_},
        {"ageend", &query.ageHigh_}, {"Marriage", &query.marriage_},
        {"Salary", &query.salary_},  {"Education", &query.education_},
        {"h1", &query.heightLow_},   {"h2", &query.heightHigh_},
    };
    for (const auto& [key, target] : numberKeys) {
        const auto found = params.find(key);
        if (found == params.end()) {
            continue;
        }
        const auto number = WholeNumber(found->second);
        if (number) {
            *target = *number;
        } else {
            query.unreadable_ = true;
        }
    }
    if (query.gender_ != -1 && query.gender_ != 0 && query.gender_ != 1) {
        query.unreadable_ = true;
    }

    const auto region = params.find("workcitycity");
    if (region != params.end()) {
        query.regionValue_ = region->second;
    }
    // "101" + level-1 key + "000" stands for the whole level-1 region; the program sends
    // "101-1000" when no region is chosen.
    const std::string& value = query.regionValue_;
    query.anyRegion_ = value == "-1";
    if (value.size() > 6 && value.starts_with("101") && value.ends_with("000")) {
        const std::string key = value.substr(3, value.size() - 6);
        if (key == "-1") {
            query.anyRegion_ = true;
        } else {
            query.provinceKey_ = key;
        }
    }

    const auto page = params.find("currentpage");
    if (page != params.end()) {
        const auto number = WholeNumber(page->second);
        query.page_ = number && *number > 0 ? *number : 1;
    }

    for (const auto& [key, val] : params) {
        if (key != "currentpage") {
            query.criteria_.emplace_back(key, val);
        }
    }
    return query;
}

bool DemoQuery::Matches(const DemoMember& member) const {
    if (unreadable_) {
        return false;
    }
    if (!anyRegion_) {
        // A level-2 code is matched as a code, whatever it looks like; a value of the whole-region
        // form also takes every level-2 region of that level-1 region.
        const bool city = member.regionCode == regionValue_;
        const bool province = provinceKey_ && member.regionParentKey == *provinceKey_;
        if (!city && !province) {
            return false;
        }
    }
    return Equal(member.gender, gender_) && InRange(member.age, ageLow_, ageHigh_) &&
           InRange(member.height, heightLow_, heightHigh_) && Equal(member.marriage, marriage_) &&
           Equal(member.salary, salary_) && Equal(member.education, education_);
}

}  // namespace miyoutong::demo
