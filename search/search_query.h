#pragma once

// The search criteria of the option controls and the URL prefix of the search endpoint.

#include <string>
#include <string_view>

#include "common/control_surface.h"

namespace miyoutong {

// One decimal text per query key.
struct SearchCriteria {
    std::string gender, agebegin, ageend, workcitycity, marriage, salary, education, h1, h2;
};

// Reads the item value of each option list's current selection (-1 without one). Runs on the
// worker while the options are locked.
SearchCriteria CollectSearchCriteria(ControlSurface& controls);

// The region value from the item values of the start and the end region.
std::string RegionValue(int startRegion, int endRegion);

// The member-search server the program talks to, fixed at build time ("host[:port]").
extern const std::string_view kSearchHost;

// "http://<search host>/search/getfastmdata.jsps?gender=..." up to and including
// "&currentpage=": the page number goes at the end. "&edm=1" only with an edm flag of 1.
std::string BuildSearchUrl(const std::string& gender, const std::string& agebegin,
                           const std::string& ageend, const std::string& workcitycity,
                           const std::string& marriage, const std::string& salary,
                           const std::string& education, int edmFlag, const std::string& h1,
                           const std::string& h2);
// The same from collected criteria; `searchHost` lets tools and tests aim at another server.
std::string BuildSearchUrl(const SearchCriteria& criteria, int edmFlag,
                           std::string_view searchHost = kSearchHost);

}  // namespace miyoutong
