#pragma once

#include <string>

namespace miyoutong::demo {

// A level-2 region of the region database with the name of its level-1 region.
struct DemoRegion {
    std::string code;          // level-2 code, the value the search sends ("10101005")
    std::string parentKey;     // level-1 key as the level-2 rows store it ("01", "-2")
    std::string provinceName;  // UTF-8
    std::string cityName;      // UTF-8
};

}  // namespace miyoutong::demo
