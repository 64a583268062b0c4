#include "tools/demo-service/demo_population.h"

#include <algorithm>
#include <array>
#include <set>

#include "tools/demo-service/demo_random.h"

namespace miyoutong::demo {

namespace {

constexpr std::array<const char*, 40> kSyllables = {
    "云", "星", "月", "雨", "风", "晴", "雪", "兰", "竹", "梅", "松", "青", "小", "阿",
    "安", "宁", "乐", "欣", "悦", "晨", "曦", "岚", "溪", "川", "山", "海", "桐", "柚",
    "橙", "果", "糖", "豆", "木", "林", "舟", "帆", "夏", "秋", "冬", "春"};

// Every nickname carries a mark that no real member would choose, so a screenshot of the demo
// cannot be taken for real people.
std::string MakeNickname(DemoRandom& random) {
    const auto syllable = [&random] {
        return std::string(kSyllables[static_cast<std::size_t>(random.Between(0, 39))]);
    };
    switch (random.Between(0, 4)) {
        case 0:
            return "演示" + syllable() + syllable();
        case 1:
            return syllable() + syllable() + "(测试)";
        case 2:
            return "测试" + syllable() + syllable() + std::to_string(random.Between(1, 99));
        case 3:
            return syllable() + syllable() + syllable() + "_演示";
        default:
            return "Demo" + syllable() + syllable() + "测试";
    }
}

int MakeAge(DemoRandom& random) {
    const double roll = random.Unit();
    if (roll < 0.06) {
        return random.Between(18, 19);
    }
    if (roll < 0.78) {
        return random.Between(20, 40);
    }
    if (roll < 0.93) {
        return random.Between(41, 55);
    }
    return random.Between(56, 99);
}

int MakeHeight(DemoRandom& random, int gender) {
    if (random.Chance(0.05)) {
        return random.Between(129, 210);
    }
    return gender == 0 ? random.Between(160, 190) : random.Between(150, 176);
}

int MakeMarriage(DemoRandom& random) {
    const double roll = random.Unit();
    return roll < 0.72 ? 1 : roll < 0.92 ? 3 : 4;
}

// Level-1 regions in database order, each with its level-2 regions and a weight: the big cities
// and provinces get more members, as on a real site.
struct Province {
    std::vector<std::size_t> regions;
    double weight = 1.0;
};

double ProvinceWeight(const DemoRegion& region) {
    static const std::set<std::string> kBig = {"北京", "上海", "广东", "浙江", "江苏", "四川"};
    if (region.parentKey == "-2") {
        return 0.5;
    }
    return kBig.contains(region.provinceName) ? 3.0 : 1.0;
}

std::vector<Province> GroupProvinces(const std::vector<DemoRegion>& regions) {
    std::vector<Province> provinces;
    std::vector<std::string> keys;
    for (std::size_t i = 0; i < regions.size(); ++i) {
        const auto key = std::find(keys.begin(), keys.end(), regions[i].parentKey);
        if (key == keys.end()) {
            keys.push_back(regions[i].parentKey);
            provinces.push_back({{i}, ProvinceWeight(regions[i])});
        } else {
            provinces[static_cast<std::size_t>(key - keys.begin())].regions.push_back(i);
        }
    }
    return provinces;
}

const DemoRegion* PickRegion(DemoRandom& random, const std::vector<DemoRegion>& regions,
                             const std::vector<Province>& provinces, double totalWeight) {
    if (provinces.empty()) {
        return nullptr;
    }
    double roll = random.Unit() * totalWeight;
    const Province* chosen = &provinces.back();
    for (const Province& province : provinces) {
        if (roll < province.weight) {
            chosen = &province;
            break;
        }
        roll -= province.weight;
    }
    const int last = static_cast<int>(chosen->regions.size()) - 1;
    return &regions[chosen->regions[static_cast<std::size_t>(random.Between(0, last))]];
}

}  // namespace

DemoPopulation DemoPopulation::Build(std::uint64_t seed, std::vector<DemoRegion> regions,
                                     int size) {
    DemoPopulation population;
    population.regions_ = std::move(regions);
    const std::vector<DemoRegion>& all = population.regions_;
    const std::vector<Province> provinces = GroupProvinces(all);
    double totalWeight = 0;
    for (const Province& province : provinces) {
        totalWeight += province.weight;
    }

    DemoRandom random(seed * 0x2545F4914F6CDD1Dull + 1);
    population.members_.reserve(static_cast<std::size_t>(std::max(size, 0)));
    for (int i = 0; i < size; ++i) {
        DemoMember member;
        do {
            member.id = std::to_string(random.Between(1000000, 29999999));
        } while (population.indexById_.contains(member.id));
        member.nickname = MakeNickname(random);
        member.gender = random.Between(0, 1);
        member.age = MakeAge(random);
        member.height = MakeHeight(random, member.gender);
        if (const DemoRegion* region = PickRegion(random, all, provinces, totalWeight)) {
            member.regionCode = region->code;
            member.regionParentKey = region->parentKey;
            member.regionText = region->provinceName.empty()
                                    ? region->cityName
                                    : region->provinceName + " " + region->cityName;
        }
        member.marriage = MakeMarriage(random);
        member.salary = std::clamp(random.Between(1, 6) + random.Between(0, 3), 1, 9);
        member.education = random.Between(2, 7);
        member.integrity = random.Chance(0.1) ? random.Between(0, 39) : random.Between(40, 100);
        const double photoRoll = random.Unit();
        member.photo = photoRoll < kMissingPhotoShare                       ? PhotoFate::Missing
                       : photoRoll < kMissingPhotoShare + kBrokenPhotoShare ? PhotoFate::Broken
                                                                            : PhotoFate::Good;
        member.look = random.Next();
        population.indexById_.emplace(member.id, population.members_.size());
        population.members_.push_back(std::move(member));
    }
    return population;
}

const DemoMember* DemoPopulation::Find(std::string_view id) const {
    const auto found = indexById_.find(std::string(id));
    return found == indexById_.end() ? nullptr : &members_[found->second];
}

std::vector<const DemoMember*> DemoPopulation::Matching(const DemoQuery& query) const {
    std::vector<const DemoMember*> found;
    for (const DemoMember& member : members_) {
        if (query.Matches(member)) {
            found.push_back(&member);
        }
    }
    return found;
}

}  // namespace miyoutong::demo
