#include "search/search_query.h"

#include "common/text.h"

namespace miyoutong {

const std::string_view kSearchHost = MIYOUTONG_SEARCH_HOST;

namespace {

std::string ItemValueText(ControlSurface& controls, Control list) {
    return DecimalText(controls.ComboItemValue(list, controls.ComboSelection(list)));
}

}  // namespace

// An end region other than "不限" names the city itself. With "不限" the service wants the whole
// province, written as "101" + two-digit province + "000"; a start region of -2 (a province
// without a "不限" entry) always sends the end region as it is.
std::string RegionValue(int startRegion, int endRegion) {
    if (startRegion == -2 || endRegion != -1) {
        return DecimalText(endRegion);
    }
    const std::string province = DecimalText(startRegion);
    std::string value = "101";
    if (province.size() < 2) {
        value += '0';
    }
    value += province;
    value += "000";
    return value;
}

SearchCriteria CollectSearchCriteria(ControlSurface& controls) {
    SearchCriteria criteria;
    const int start = controls.ComboItemValue(Control::组合框_起始地区,
                                              controls.ComboSelection(Control::组合框_起始地区));
    const int end = controls.ComboItemValue(Control::组合框_结束地区,
                                            controls.ComboSelection(Control::组合框_结束地区));
    criteria.workcitycity = RegionValue(start, end);
    criteria.gender = ItemValueText(controls, Control::组合框_性别);
    criteria.agebegin = ItemValueText(controls, Control::组合框_起始年龄);
    criteria.ageend = ItemValueText(controls, Control::组合框_结束年龄);
    criteria.marriage = ItemValueText(controls, Control::组合框_婚姻状况);
    criteria.salary = ItemValueText(controls, Control::组合框_月收入);
    criteria.education = ItemValueText(controls, Control::组合框_教育程度);
    criteria.h1 = ItemValueText(controls, Control::组合框_起始身高);
    criteria.h2 = ItemValueText(controls, Control::组合框_结束身高);
    return criteria;
}

std::string BuildSearchUrl(const std::string& gender, const std::string& agebegin,
                           const std::string& ageend, const std::string& workcitycity,
                           const std::string& marriage, const std::string& salary,
                           const std::string& education, int edmFlag, const std::string& h1,
                           const std::string& h2) {
    return BuildSearchUrl(
        SearchCriteria{gender, agebegin, ageend, workcitycity, marriage, salary, education, h1, h2},
        edmFlag);
}

std::string BuildSearchUrl(const SearchCriteria& criteria, int edmFlag,
                           std::string_view searchHost) {
    std::string url = "http://";
    url += searchHost;
    url += "/search/getfastmdata.jsps?gender=";
    url += criteria.gender;
    url += "&agebegin=" + criteria.agebegin;
    url += "&ageend=" + criteria.ageend;
    url += "&workcitycity=" + criteria.workcitycity;
    url += "&Marriage=" + criteria.marriage;
    url += "&Salary=" + criteria.salary;
    url += "&Education=" + criteria.education;
    url += "&h1=" + criteria.h1;
    url += "&h2=" + criteria.h2;
    url += "&photo=1";
    if (edmFlag == 1) {
        url += "&edm=1";
    }
    url += "&currentpage=";
    return url;
}

}  // namespace miyoutong
