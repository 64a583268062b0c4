#include "regions/region_catalogue.h"

#include "common/gbk.h"
#include "common/program_directory.h"
#include "common/text.h"

namespace miyoutong {

namespace {

constexpr Control kStartList = Control::组合框_起始地区;
constexpr Control kEndList = Control::组合框_结束地区;
constexpr int kAnyRegion = -1;

}  // namespace

bool RegionCatalogue::OpenRegionDatabase(const std::string& programDirectory) {
    return database_.Open(JoinPath(programDirectory, kRegionDatabaseFileName),
                          std::string(kRegionDatabasePassword));
}

void RegionCatalogue::FillStartRegions(ControlSurface& controls) {
    ++fillGeneration_;
    const std::string any = Gbk("不限");
    controls.ComboAddItem(kStartList, any, kAnyRegion);
    controls.ComboAddItem(kEndList, any, kAnyRegion);
    recordSet_.Bind(database_);
    recordSet_.Open("select * from workcitycity order by id ASC");
    const int count = recordSet_.RowCount();
    for (int i = 0; i < count; ++i) {
        const std::string text = recordSet_.FieldText("workcitycity");
        const std::string id = recordSet_.FieldText("workcitycityid");
        controls.ComboAddItem(kStartList, text, TextToInt(id));
        recordSet_.MoveNext();
    }
    recordSet_.Close();
    controls.ComboSelect(kStartList, 0);
    controls.ComboSelect(kEndList, 0);
}

// The parent key is the start value's decimal text, with a "0" in front of a single character:
// 5 looks up "05", 0 "00", -1 "-1", 12 "12". The value -2 has a fixed query and no "不限" item.
void RegionCatalogue::FillEndRegions(ControlSurface& controls) {
    const unsigned generation = ++fillGeneration_;
    controls.ComboClear(kEndList);
    recordSet_.Bind(database_);
    std::string key =
        DecimalText(controls.ComboItemValue(kStartList, controls.ComboSelection(kStartList)));
    if (key == "-2") {
        recordSet_.Open("select * from workcityprovince where workcitycityid='-2' order by id ASC");
    } else {
        controls.ComboAddItem(kEndList, Gbk("不限"), kAnyRegion);
        if (key.size() < 2) {
            key.insert(0, "0");
        }
        recordSet_.Open("select * from workcityprovince where workcitycityid='" + key +
                        "' order by id ASC");
    }
    const int count = recordSet_.RowCount();
    for (int i = 0; i < count; ++i) {
        const std::string id = recordSet_.FieldText("workcityprovinceid");
        const std::string text = recordSet_.FieldText("workcityprovince");
        controls.ComboAddItem(kEndList, text, TextToInt(id));
        controls.HandlePendingEvents();
        // A pick handled just now has rebuilt the list and used the record set: nothing here is
        // current any more.
        if (generation != fillGeneration_) {
            return;
        }
        recordSet_.MoveNext();
    }
    recordSet_.Close();
    controls.ComboSelect(kEndList, 0);
}

}  // namespace miyoutong
