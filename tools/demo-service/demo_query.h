#pragma once

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "tools/demo-service/demo_member.h"

namespace miyoutong::demo {

// The criteria of one request to the search page. A missing key and "-1" mean "any"; a value
// the page cannot read as a whole number matches nobody, as a real site finds nothing for it.
class DemoQuery {
public:
    // Query keys and values as the server decoded them (httplib::Params).
    static DemoQuery FromParams(const std::multimap<std::string, std::string>& params);

    bool Matches(const DemoMember& member) const;

    // The requested result page, 1 when absent or unreadable.
    int Page() const { return page_; }

    // The region value as sent, "-1" when absent.
    const std::string& RegionValue() const { return regionValue_; }

    // Key and value of every criterion as sent, without the page number, in arrival order.
    const std::vector<std::pair<std::string, std::string>>& Criteria() const { return criteria_; }

    // Lower and upper bound of a range key pair; -1 for an open end.
    std::pair<int, int> AgeRange() const { return {ageLow_, ageHigh_}; }
    std::pair<int, int> HeightRange() const { return {heightLow_, heightHigh_}; }
    int Gender() const { return gender_; }

private:
    bool unreadable_ = false;
    int gender_ = -1;
    int ageLow_ = -1;
    int ageHigh_ = -1;
    int heightLow_ = -1;
    int heightHigh_ = -1;
    int marriage_ = -1;
    int salary_ = -1;
    int education_ = -1;
    std::string regionValue_ = "-1";
    bool anyRegion_ = true;
    std::optional<std::string> provinceKey_;  // set when the region value names a whole level-1
    int page_ = 1;
    std::vector<std::pair<std::string, std::string>> criteria_;
};

}  // namespace miyoutong::demo
