#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "tools/demo-service/demo_member.h"
#include "tools/demo-service/demo_population.h"
#include "tools/demo-service/demo_query.h"

namespace miyoutong::demo {

constexpr int kMembersPerPage = 20;

// Number of result pages for that many members found.
int PageCount(std::size_t found);

// The members that result page `page` (from 1) lists; empty past the last page.
std::vector<const DemoMember*> MembersOnPage(const std::vector<const DemoMember*>& found, int page);

// The search page for `query` (GBK): its members between the member markers, or, past the last
// page, the no-result text in their place. `found` is population.Matching(query); photo
// addresses name `host`. Members of the sidebars, outside the markers, are written in the
// same markup as the list.
std::string RenderResultPage(const DemoPopulation& population, const DemoQuery& query,
                             const std::vector<const DemoMember*>& found, std::string_view host);

}  // namespace miyoutong::demo
