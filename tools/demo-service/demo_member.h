#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace miyoutong::demo {

// What a member's photo address answers.
enum class PhotoFate { Good, Missing, Broken };

// A made-up member. Texts are UTF-8; numbers carry the values the search keys use.
struct DemoMember {
    std::string id;        // decimal digits
    std::string nickname;  // always holds a 演示 or 测试 mark
    int gender = 0;        // 0 man, 1 woman
    int age = 18;
    int height = 170;  // centimetres
    std::string regionCode;
    std::string regionParentKey;
    std::string regionText;  // "北京 朝阳区"
    int marriage = 1;        // 1, 3 or 4
    int salary = 1;          // 1 to 9
    int education = 2;       // 2 to 7
    int integrity = 0;       // 0 to 100
    PhotoFate photo = PhotoFate::Good;
    std::uint64_t look = 0;  // drives the photo and the markup variant of this member
};

// The texts a result entry shows.
std::string AgeText(const DemoMember& member);        // "25岁"
std::string IntegrityText(const DemoMember& member);  // "85"
std::string PhotoUrl(std::string_view host, const DemoMember& member);
std::string ProfilePath(const DemoMember& member);

// Display names of the search values, as the program's option lists write them.
std::string GenderName(int gender);
std::string MarriageName(int marriage);
std::string SalaryName(int salary);
std::string EducationName(int education);

}  // namespace miyoutong::demo
