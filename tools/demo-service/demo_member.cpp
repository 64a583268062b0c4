#include "tools/demo-service/demo_member.h"

#include <array>

namespace miyoutong::demo {

std::string AgeText(const DemoMember& member) {
    return std::to_string(member.age) + "岁";
}

std::string IntegrityText(const DemoMember& member) {
    return std::to_string(member.integrity);
}

std::string PhotoUrl(std::string_view host, const DemoMember& member) {
    return "http://" + std::string(host) + "/photos/" + member.id + ".jpg";
}

std::string ProfilePath(const DemoMember& member) {
    return "/profile/getmemberdata.jsps?memberid=" + member.id;
}

std::string GenderName(int gender) {
    switch (gender) {
        case 0:
            return "男";
        case 1:
            return "女";
        default:
            return "未知";
    }
}

std::string MarriageName(int marriage) {
    switch (marriage) {
        case 1:
            return "未婚";
        case 3:
            return "离异";
        case 4:
            return "丧偶";
        default:
            return "保密";
    }
}

std::string SalaryName(int salary) {
    static const std::array<const char*, 9> kNames = {
        "1000元以下",   "1001-2000元",   "2001-3000元",   "3001-5000元", "5001-8000元",
        "8001-10000元", "10001-20000元", "20001-50000元", "50000元以上"};
    if (salary < 1 || salary > 9) {
        return "保密";
    }
    return kNames[static_cast<std::size_t>(salary - 1)];
}

std::string EducationName(int education) {
    switch (education) {
        case 2:
            return "中专";
        case 3:
            return "高中及以下";
        case 4:
            return "大专";
        case 5:
            return "大学本科";
        case 6:
            return "硕士";
        case 7:
            return "博士";
        default:
            return "保密";
    }
}

}  // namespace miyoutong::demo
