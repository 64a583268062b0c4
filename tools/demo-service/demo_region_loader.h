#pragma once

#include <optional>
#include <string>
#include <vector>

#include "tools/demo-service/demo_region.h"

namespace miyoutong::demo {

// Reads every level-2 region, in the database's order, from the region database at `path`.
// Nothing and a reason in `error` when the file cannot be read or holds no level-2 region.
std::optional<std::vector<DemoRegion>> LoadDemoRegions(const std::string& path, std::string* error);

}  // namespace miyoutong::demo
