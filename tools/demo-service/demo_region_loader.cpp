#include "tools/demo-service/demo_region_loader.h"

#include <map>

#include "common/gbk.h"
#include "common/text.h"
#include "regions/record_set.h"
#include "regions/region_database.h"

namespace miyoutong::demo {

namespace {

constexpr const char* kPassword = "qwvxkz5.zzq";

// The level-2 rows name their parent by the level-1 id padded to two digits ("05"), the way the
// program builds its lookup key.
std::string ParentKeyOf(const std::string& levelOneId) {
    std::string key = DecimalText(TextToInt(levelOneId));
    if (key.size() < 2) {
        key.insert(0, "0");
    }
    return key;
}

std::string Trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

}  // namespace

std::optional<std::vector<DemoRegion>> LoadDemoRegions(const std::string& path,
                                                       std::string* error) {
    RegionDatabase database;
    if (!database.Open(path, kPassword)) {
        if (error != nullptr) {
            *error = "cannot open the region database " + path;
        }
        return std::nullopt;
    }
    RecordSet records;
    records.Bind(database);

    std::map<std::string, std::string> provinceNames;
    if (records.Open("select * from workcitycity order by id ASC")) {
        for (int i = records.RowCount(); i > 0; --i) {
            provinceNames[ParentKeyOf(records.FieldText("workcitycityid"))] =
                GbkToUtf8(records.FieldText("workcitycity"));
            records.MoveNext();
        }
        records.Close();
    }

    std::vector<DemoRegion> regions;
    if (records.Open("select * from workcityprovince order by id ASC")) {
        for (int i = records.RowCount(); i > 0; --i) {
            DemoRegion region;
            region.code = Trimmed(records.FieldText("workcityprovinceid"));
            region.parentKey = Trimmed(records.FieldText("workcitycityid"));
            region.cityName = GbkToUtf8(records.FieldText("workcityprovince"));
            const auto province = provinceNames.find(region.parentKey);
            if (province != provinceNames.end()) {
                region.provinceName = province->second;
            }
            if (!region.code.empty()) {
                regions.push_back(std::move(region));
            }
            records.MoveNext();
        }
        records.Close();
    }
    if (regions.empty()) {
        if (error != nullptr) {
            *error = "no level-2 regions in " + path;
        }
        return std::nullopt;
    }
    return regions;
}

}  // namespace miyoutong::demo
