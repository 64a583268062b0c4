#include "tools/demo-service/demo_result_page.h"

#include <algorithm>
#include <cctype>

#include "tools/demo-service/demo_member_entry.h"
#include "tools/demo-service/demo_page_frame.h"

namespace miyoutong::demo {

namespace {

constexpr std::string_view kBeginMarker = "<!--会员信息 begin-->";
constexpr std::string_view kEndMarker = "<!--会员信息 end-->";
constexpr std::string_view kNoResultText = "非常抱歉，找不到您要求的结果";

std::string PercentEncoded(std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string encoded;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (std::isalnum(byte) || c == '-' || c == '_' || c == '.' || c == '~') {
            encoded += c;
        } else {
            encoded += '%';
            encoded += kHex[byte >> 4];
            encoded += kHex[byte & 15];
        }
    }
    return encoded;
}

// Address of another page of the same search, escaped for an attribute.
std::string PageLink(const DemoQuery& query, int page) {
    std::string url = "/search/getfastmdata.jsps?";
    for (const auto& [key, value] : query.Criteria()) {
        url += PercentEncoded(key) + "=" + PercentEncoded(value) + "&";
    }
    url += "currentpage=" + std::to_string(page);
    return HtmlEscape(url);
}

std::string RangeText(std::pair<int, int> range, std::string_view unit) {
    if (range.first == -1 && range.second == -1) {
        return "不限";
    }
    const std::string low = range.first == -1 ? "" : std::to_string(range.first);
    const std::string high = range.second == -1 ? "" : std::to_string(range.second);
    return low + "-" + high + std::string(unit);
}

std::string RegionName(const DemoPopulation& population, const std::string& value) {
    if (value == "-1" || value == "101-1000") {
        return "不限";
    }
    for (const DemoRegion& region : population.Regions()) {
        if (region.code == value) {
            return region.provinceName + " " + region.cityName;
        }
        if (value.size() > 6 && value.substr(3, value.size() - 6) == region.parentKey) {
            return region.provinceName;
        }
    }
    return "编号 " + HtmlEscape(value);
}

std::string Summary(const DemoPopulation& population, const DemoQuery& query, std::size_t found,
                    int page) {
    const int gender = query.Gender();
    std::string text = "<div class=\"summary\">搜索条件：性别 ";
    text += gender == -1 ? "不限" : GenderName(gender);
    text += " | 年龄 " + RangeText(query.AgeRange(), "岁");
    text += " | 身高 " + RangeText(query.HeightRange(), "厘米");
    text += " | 地区 " + RegionName(population, query.RegionValue());
    text += "<br />共找到 <b>" + std::to_string(found) + "</b> 位会员";
    if (found > 0) {
        text += "，当前第 <b>" + std::to_string(page) + "</b>/" + std::to_string(PageCount(found)) +
                " 页";
    }
    return text + "</div>\n";
}

std::string Pager(const DemoQuery& query, int page, int pages) {
    if (pages <= 1) {
        return "<div class=\"pager\"></div>\n";
    }
    std::string html = "<div class=\"pager\">\n";
    if (page > 1) {
        html += "<a href=\"" + PageLink(query, 1) + "\">首页</a><a href=\"" +
                PageLink(query, page - 1) + "\">上一页</a>\n";
    }
    for (int p = std::max(1, page - 4); p <= std::min(pages, page + 4); ++p) {
        html += p == page ? "<span class=\"current\">" + std::to_string(p) + "</span>"
                          : "<a href=\"" + PageLink(query, p) + "\">" + std::to_string(p) + "</a>";
    }
    if (page < pages) {
        html += "\n<a href=\"" + PageLink(query, page + 1) + "\">下一页</a><a href=\"" +
                PageLink(query, pages) + "\">尾页</a>";
    }
    return html + "\n</div>\n";
}

std::string ListItem(const DemoMember& member, std::string_view host, std::uint64_t variant) {
    return "<li>\n" + MemberEntryHtml(member, host, variant) + "\n<p class=\"op\"><a href=\"" +
           HtmlEscape(ProfilePath(member)) + "\" target=\"_blank\">查看资料</a></p>\n</li>\n";
}

// A few members shown beside the list on every page, in the list's own markup.
std::string Sidebar(const DemoPopulation& population, std::string_view title, int page, int count,
                    int salt, std::string_view host) {
    const auto& members = population.Members();
    std::string html = "<h3>" + std::string(title) + "</h3>\n<ul class=\"members\">\n";
    for (int k = 0; k < count && !members.empty(); ++k) {
        const std::size_t index =
            static_cast<std::size_t>(page * 37 + k * 1009 + salt) % members.size();
        html += ListItem(members[index], host, members[index].look ^ 0x5bd1e995u);
    }
    return html + "</ul>\n";
}

}  // namespace

int PageCount(std::size_t found) {
    return static_cast<int>((found + kMembersPerPage - 1) / kMembersPerPage);
}

std::vector<const DemoMember*> MembersOnPage(const std::vector<const DemoMember*>& found,
                                             int page) {
    if (page < 1 || page > PageCount(found.size())) {
        return {};
    }
    const auto first = static_cast<std::size_t>(page - 1) * kMembersPerPage;
    const auto last = std::min(found.size(), first + kMembersPerPage);
    return {found.begin() + static_cast<std::ptrdiff_t>(first),
            found.begin() + static_cast<std::ptrdiff_t>(last)};
}

std::string RenderResultPage(const DemoPopulation& population, const DemoQuery& query,
                             const std::vector<const DemoMember*>& found, std::string_view host) {
    const int page = query.Page();
    const int pages = PageCount(found.size());
    const std::vector<const DemoMember*> shown = MembersOnPage(found, page);

    std::string body = "<div id=\"side\">\n";
    body += Sidebar(population, "今日之星", page, 2, 0, host);
    body += "</div>\n<div id=\"main\">\n<h2>会员搜索结果</h2>\n";
    body += Summary(population, query, found.size(), page);
    if (shown.empty()) {
        body += "<div class=\"noresult\"><p>" + std::string(kNoResultText) +
                "，请放宽搜索条件后再试。</p></div>\n";
    } else {
        body += std::string(kBeginMarker) + "\n<ul class=\"members\">\n";
        for (const DemoMember* member : shown) {
            body += ListItem(*member, host, member->look + static_cast<std::uint64_t>(page));
        }
        body += "</ul>\n" + std::string(kEndMarker) + "\n";
        body += Pager(query, page, pages);
    }
    body += "<div class=\"recent\">\n";
    body += Sidebar(population, "最近登录", page, 3, 17, host);
    body += "</div>\n</div>\n";
    return ToGbkPage(FramePage("会员搜索", body));
}

}  // namespace miyoutong::demo
