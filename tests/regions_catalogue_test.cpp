// The region lists built from real region databases, on the in-memory window.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "common/gbk.h"
#include "common/memory_control_surface.h"
#include "common/program_directory.h"
#include "regions/region_catalogue.h"

namespace miyoutong {
namespace {

namespace fs = std::filesystem;

constexpr Control kStart = Control::组合框_起始地区;
constexpr Control kEnd = Control::组合框_结束地区;

using Items = std::vector<std::pair<std::string, int>>;  // UTF-8 text, item value

std::string Fixture(const std::string& name) {
    return std::string(MIYOUTONG_FIXTURES_DIR) + "/regions/" + name;
}

Items ListItems(MemoryControlSurface& controls, Control list) {
    Items items;
    for (int i = 0; i < controls.ComboItemCount(list); ++i) {
        items.emplace_back(GbkToUtf8(controls.ComboItemText(list, i)),
                           controls.ComboItemValue(list, i));
    }
    return items;
}

// A catalogue on the given file with the start list filled, as after start-up.
class Catalogue {
public:
    explicit Catalogue(const std::string& path) {
        opened = catalogue.Database().Open(path, std::string(kRegionDatabasePassword));
        catalogue.FillStartRegions(controls);
    }

    // Picks the start item at `index`, as the user does, and returns the end list.
    Items Pick(int index) {
        controls.ComboSelect(kStart, index);
        catalogue.FillEndRegions(controls);
        return ListItems(controls, kEnd);
    }

    // Adds a start item with the given value and picks it.
    Items PickValue(int value) { return Pick(controls.ComboAddItem(kStart, "x", value)); }

    int IndexOfValue(int value) {
        for (int i = 0; i < controls.ComboItemCount(kStart); ++i) {
            if (controls.ComboItemValue(kStart, i) == value) {
                return i;
            }
        }
        return -1;
    }

    bool opened = false;
    RegionCatalogue catalogue;
    MemoryControlSurface controls;
};

TEST(RegionCatalogue, StartUpFillsTheStartListInIdOrder) {
    Catalogue c(MIYOUTONG_REGION_DATABASE);
    ASSERT_TRUE(c.opened);
    const Items start = ListItems(c.controls, kStart);
    ASSERT_EQ(start.size(), 36u);
    EXPECT_EQ(start[0], (std::pair<std::string, int>{"不限", -1}));
    EXPECT_EQ(start[1], (std::pair<std::string, int>{"北京", 1}));
    EXPECT_EQ(start[5], (std::pair<std::string, int>{"内蒙古", 5}));
    EXPECT_EQ(start[22], (std::pair<std::string, int>{"重庆", 22}));
    EXPECT_EQ(start[34], (std::pair<std::string, int>{"台湾", 34}));
    EXPECT_EQ(start[35], (std::pair<std::string, int>{"海外", -2}));
    for (int i = 1; i < 35; ++i) {
        EXPECT_EQ(start[i].second, i);
    }
    EXPECT_EQ(ListItems(c.controls, kEnd), (Items{{"不限", -1}}));
    EXPECT_EQ(c.controls.ComboSelection(kStart), 0);
    EXPECT_EQ(c.controls.ComboSelection(kEnd), 0);
    // Filling the start list handles no events.
    EXPECT_EQ(c.controls.PendingEventsCount(), 0);
}

TEST(RegionCatalogue, EdgeIdsGiveTheDocumentedLists) {
    Catalogue c(Fixture("edge-ids.db"));
    ASSERT_TRUE(c.opened);
    EXPECT_EQ(ListItems(c.controls, kStart), (Items{{"不限", -1},
                                                    {"甲", 7},
                                                    {"乙", 7},
                                                    {"丙", 7},
                                                    {"丁", 12},
                                                    {"戊", -3},
                                                    {"己", 0},
                                                    {"庚", 0},
                                                    {"辛", 0},
                                                    {"海外", -2}}));
    const Items any = {{"不限", -1}, {"乙负一", 10199002}, {"丁负一", 10199001}};
    const Items seven = {{"不限", -1}, {"西七", 500}, {"东七", 10107001}, {"北七", 42}};
    const Items twelve = {{"不限", -1}, {"乙十二", 10112002}, {"丁十二", 10112001}, {"空十二", 0}};
    const Items minusThree = {{"不限", -1}};
    const Items zero = {{"不限", -1}, {"乙零", 0}, {"丁零", 0}};
    const Items abroad = {{"乙国外", 10200002}, {"丁国外", 10200001}};
    const std::pair<int, Items> picks[] = {
        {0, any},        {1, seven}, {2, seven}, {3, seven}, {4, twelve},
        {5, minusThree}, {6, zero},  {7, zero},  {8, zero},  {9, abroad},
    };
    for (const auto& [index, expected] : picks) {
        EXPECT_EQ(c.Pick(index), expected) << "start item " << index;
        EXPECT_EQ(c.controls.ComboSelection(kEnd), 0) << "start item " << index;
    }
    // The texts reach the list as GBK.
    c.Pick(4);
    EXPECT_EQ(c.controls.ComboItemText(kEnd, 3), Gbk("空十二"));
}

TEST(RegionCatalogue, ParentKeysHaveTwoCharactersAtLeast) {
    Catalogue shipped(MIYOUTONG_REGION_DATABASE);
    ASSERT_TRUE(shipped.opened);
    // 5 looks up "05": 内蒙古's twelve regions, the first of them 10105001.
    const Items innerMongolia = shipped.PickValue(5);
    ASSERT_EQ(innerMongolia.size(), 13u);
    EXPECT_EQ(innerMongolia[1].second, 10105001);
    // 12 looks up "12" (安徽), 123 looks up "123": no rows, "不限" only.
    EXPECT_EQ(shipped.PickValue(12).size(), 17u);
    EXPECT_EQ(shipped.PickValue(123), (Items{{"不限", -1}}));
    EXPECT_EQ(shipped.PickValue(-2).size(), 18u);
    EXPECT_EQ(shipped.PickValue(-2).front(), (std::pair<std::string, int>{"美国", 10200001}));

    Catalogue edge(Fixture("edge-ids.db"));
    ASSERT_TRUE(edge.opened);
    EXPECT_EQ(edge.PickValue(0), (Items{{"不限", -1}, {"乙零", 0}, {"丁零", 0}}));  // "00"
    EXPECT_EQ(edge.PickValue(-1).size(), 3u);                                       // "-1"
    EXPECT_EQ(edge.PickValue(13), (Items{{"不限", -1}, {"错十三", 10113001}}));     // "13"
    EXPECT_EQ(edge.PickValue(123), (Items{{"不限", -1}}));
    // Nothing selected reads as -1.
    edge.controls.ComboSelect(kStart, -1);
    edge.catalogue.FillEndRegions(edge.controls);
    EXPECT_EQ(ListItems(edge.controls, kEnd).size(), 3u);
    EXPECT_EQ(edge.controls.ComboItemText(kEnd, 1), Gbk("乙负一"));
}

TEST(RegionCatalogue, EveryFillStartsAfreshAndHandlesEventsPerItem) {
    Catalogue c(MIYOUTONG_REGION_DATABASE);
    ASSERT_TRUE(c.opened);
    const int chongqing = c.IndexOfValue(22);
    ASSERT_EQ(c.Pick(chongqing).size(), 39u);
    EXPECT_EQ(c.controls.PendingEventsCount(), 38);
    c.controls.ComboSelect(kEnd, 5);
    EXPECT_EQ(c.Pick(chongqing).size(), 39u);
    EXPECT_EQ(c.controls.ComboSelection(kEnd), 0);
    EXPECT_EQ(c.controls.PendingEventsCount(), 76);
}

TEST(RegionCatalogue, MissingOrEmptyTablesLeaveOnlyWhatWasAddedBefore) {
    Catalogue missing(Fixture("no-city-table.db"));
    ASSERT_TRUE(missing.opened);
    EXPECT_EQ(ListItems(missing.controls, kStart).size(), 36u);
    for (int index : {0, 1, 22, 34}) {
        EXPECT_EQ(missing.Pick(index), (Items{{"不限", -1}})) << index;
        EXPECT_EQ(missing.controls.ComboSelection(kEnd), 0);
    }
    EXPECT_TRUE(missing.Pick(35).empty());
    EXPECT_EQ(missing.controls.ComboSelection(kEnd), -1);
    EXPECT_EQ(missing.controls.ComboItemValue(kEnd, missing.controls.ComboSelection(kEnd)), -1);

    Catalogue empty(Fixture("empty-tables.db"));
    ASSERT_TRUE(empty.opened);
    EXPECT_EQ(ListItems(empty.controls, kStart), (Items{{"不限", -1}}));
    EXPECT_EQ(empty.Pick(0), (Items{{"不限", -1}}));
    EXPECT_TRUE(empty.PickValue(-2).empty());

    // Without an open database the lists hold their "不限" items only.
    Catalogue closed(Fixture("wrong-password.db"));
    EXPECT_FALSE(closed.opened);
    EXPECT_EQ(ListItems(closed.controls, kStart), (Items{{"不限", -1}}));
    EXPECT_EQ(closed.Pick(0), (Items{{"不限", -1}}));
}

// A pick made while the end list is being filled: the running fill gives way and the list ends up
// as the last pick's.
TEST(RegionCatalogue, APickDuringAFillWins) {
    struct Case {
        const char* what;
        int first;               // start value picked first
        std::vector<int> picks;  // values picked, one at each of the first events
        int atEvent;             // the event (1-based) of the first nested pick
        int expectedValue;       // the start value whose list must remain
    };
    const Case cases[] = {
        {"pick at the first item", 1, {22}, 1, 22},
        {"pick at the last item", 1, {22}, 16, 22},
        {"pick of the region without 不限", 22, {-2}, 3, -2},
        {"pick during the nested fill too", 1, {22, 5}, 2, 5},
        {"same region again", 22, {22}, 10, 22},
    };
    for (const Case& test : cases) {
        Catalogue c(MIYOUTONG_REGION_DATABASE);
        ASSERT_TRUE(c.opened);
        Catalogue reference(MIYOUTONG_REGION_DATABASE);
        const Items expected = reference.Pick(reference.IndexOfValue(test.expectedValue));

        int events = 0;
        std::size_t next = 0;
        c.controls.SetPendingEventsHook([&] {
            ++events;
            if (events >= test.atEvent && next < test.picks.size()) {
                const int value = test.picks[next++];
                c.controls.ComboSelect(kStart, c.IndexOfValue(value));
                c.catalogue.FillEndRegions(c.controls);
            }
        });
        c.Pick(c.IndexOfValue(test.first));
        c.controls.SetPendingEventsHook(nullptr);
        EXPECT_EQ(next, test.picks.size()) << test.what;
        EXPECT_EQ(ListItems(c.controls, kEnd), expected) << test.what;
        EXPECT_EQ(c.controls.ComboSelection(kEnd), 0) << test.what;
        // Later fills work as before.
        EXPECT_EQ(c.Pick(c.IndexOfValue(9)).size(), 17u) << test.what;
    }
}

TEST(RegionCatalogue, OpensDataDbInTheProgramDirectory) {
    RegionCatalogue beside;
    EXPECT_TRUE(beside.OpenRegionDatabase(ExecutableDirectory())) << "data.db beside the tests";

    std::string pattern = (fs::temp_directory_path() / "regions-dir-XXXXXX").string();
    const fs::path dir = mkdtemp(pattern.data());
    RegionCatalogue catalogue;
    EXPECT_FALSE(catalogue.OpenRegionDatabase(dir.string()));
    fs::copy_file(Fixture("wrong-password.db"), dir / "data.db");
    EXPECT_FALSE(catalogue.OpenRegionDatabase(dir.string()));
    fs::remove(dir / "data.db");
    fs::copy_file(Fixture("edge-ids.db"), dir / "data.db");
    EXPECT_TRUE(catalogue.OpenRegionDatabase(dir.string()));
    fs::remove_all(dir);
}

}  // namespace
}  // namespace miyoutong
