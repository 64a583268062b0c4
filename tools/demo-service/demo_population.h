#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "tools/demo-service/demo_member.h"
#include "tools/demo-service/demo_query.h"
#include "tools/demo-service/demo_region.h"

namespace miyoutong::demo {

// The made-up members of the demo service. A seed and a region list always give the same
// members in the same listing order.
class DemoPopulation {
public:
    static constexpr int kDefaultSize = 4000;
    static constexpr double kMissingPhotoShare = 0.03;
    static constexpr double kBrokenPhotoShare = 0.02;

    static DemoPopulation Build(std::uint64_t seed, std::vector<DemoRegion> regions,
                                int size = kDefaultSize);

    const std::vector<DemoMember>& Members() const { return members_; }
    const std::vector<DemoRegion>& Regions() const { return regions_; }

    // Null when no member has that ID.
    const DemoMember* Find(std::string_view id) const;

    // Every member the query finds, in listing order: what the result pages show, 20 a page.
    std::vector<const DemoMember*> Matching(const DemoQuery& query) const;

private:
    std::vector<DemoRegion> regions_;
    std::vector<DemoMember> members_;
    std::unordered_map<std::string, std::size_t> indexById_;
};

}  // namespace miyoutong::demo
