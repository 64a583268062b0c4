#pragma once

// The region catalogue: the region database opened at start-up, the start-region list filled
// from its level-1 table and the end-region list rebuilt from its level-2 table whenever the user
// picks a start region.

#include <string>
#include <string_view>

#include "common/control_surface.h"
#include "regions/record_set.h"
#include "regions/region_database.h"

namespace miyoutong {

inline constexpr std::string_view kRegionDatabaseFileName = "data.db";
inline constexpr std::string_view kRegionDatabasePassword = "qwvxkz5.zzq";

class RegionCatalogue {
public:
    // Opens data.db in the program directory with the program's password.
    bool OpenRegionDatabase(const std::string& programDirectory);

    // "不限" into both region lists, then one start item per level-1 region in id order; both lists
    // show "不限" afterwards.
    void FillStartRegions(ControlSurface& controls);

    // Rebuilds the end-region list for the start region now selected. Pending events are handled
    // after each item; a pick made meanwhile runs its own fill at once, and this one stops.
    void FillEndRegions(ControlSurface& controls);

    RegionDatabase& Database() { return database_; }

private:
    RegionDatabase database_;  // 数据库连接1
    RecordSet recordSet_;      // 记录集1
    // Counts the fills that use the record set; a fill that sees it change was overtaken.
    unsigned fillGeneration_ = 0;
};

}  // namespace miyoutong
