#include "tools/demo-service/demo_other_pages.h"

#include "tools/demo-service/demo_page_frame.h"

namespace miyoutong::demo {

namespace {

std::string Row(std::string_view name, std::string_view value) {
    return "<tr><td class=\"name\">" + std::string(name) + "</td><td>" + std::string(value) +
           "</td></tr>\n";
}

std::string Section(std::string_view heading, std::string_view content) {
    return "<div id=\"main\">\n<h2>" + std::string(heading) + "</h2>\n" + std::string(content) +
           "</div>\n";
}

}  // namespace

std::string RenderProfilePage(const DemoMember& member, std::string_view host) {
    std::string body = "<div id=\"main\">\n<h2>" + member.nickname + " 的个人资料</h2>\n";
    body += "<div class=\"summary\"><img src=\"" + PhotoUrl(host, member) + "\" alt=\"" +
            member.nickname + "\" width=\"100\" height=\"125\" /></div>\n";
    body += "<table class=\"profile\">\n";
    body += Row("会员ID", member.id);
    body += Row("昵称", member.nickname);
    body += Row("性别", GenderName(member.gender));
    body += Row("年龄", AgeText(member));
    body += Row("身高", std::to_string(member.height) + "厘米");
    body += Row("地区", member.regionText);
    body += Row("婚姻状况", MarriageName(member.marriage));
    body += Row("月收入", SalaryName(member.salary));
    body += Row("学历", EducationName(member.education));
    body += Row("诚信值", IntegrityText(member));
    body +=
        "</table>\n<h3>内心独白</h3>\n<p>这是演示服务随机生成的虚构会员，"
        "资料与相片仅供试用觅友通。</p>\n";
    body += "<p><a href=\"/search/getfastmdata.jsps?gender=" + std::to_string(member.gender) +
            "&amp;currentpage=1\">返回搜索</a></p>\n</div>\n";
    return ToGbkPage(FramePage(member.nickname + " 的个人资料", body));
}

std::string RenderUnknownMemberPage() {
    return ToGbkPage(
        FramePage("会员资料", Section("会员资料",
                                      "<p>该会员不存在或已关闭资料。</p>\n"
                                      "<p><a href=\"/home.html\">返回首页</a></p>\n")));
}

std::optional<std::string> RenderPlainPage(std::string_view path) {
    if (path == "/" || path == "/home.html") {
        return ToGbkPage(FramePage(
            "首页",
            Section("欢迎来到缘来演示网",
                    "<p>这里是觅友通的本地演示服务。打开觅友通，选择性别、年龄和地区，"
                    "点击搜索即可浏览演示会员。</p>\n"
                    "<ul>\n<li><a href=\"/search/getfastmdata.jsps?gender=1&amp;currentpage=1\">"
                    "浏览女会员</a></li>\n"
                    "<li><a href=\"/search/getfastmdata.jsps?gender=0&amp;currentpage=1\">"
                    "浏览男会员</a></li>\n</ul>\n")));
    }
    if (path == "/download.html") {
        return ToGbkPage(FramePage(
            "软件下载", Section("觅友通 下载",
                                "<p>最新版本：1.0.0</p>\n"
                                "<p>觅友通需要程序目录中的地区数据库 data.db。"
                                "如果程序提示数据库无法打开，请重新下载完整的程序包。</p>\n")));
    }
    if (path == "/blog.html") {
        return ToGbkPage(FramePage("博客", Section("木鱼的博客",
                                                   "<p>觅友通 1.0.0 发布了：一个窗口搜索会员，"
                                                   "还能顺手保存相片。</p>\n"
                                                   "<p>本页为演示内容。</p>\n")));
    }
    if (path == "/forum.html") {
        return ToGbkPage(
            FramePage("论坛", Section("交流论坛",
                                      "<ul>\n<li>[公告] 演示服务上的会员均为虚构</li>\n"
                                      "<li>[讨论] 搜索条件怎样选更合适</li>\n"
                                      "<li>[反馈] 相片下载失败怎么办</li>\n</ul>\n")));
    }
    return std::nullopt;
}

std::string RenderNotFoundPage() {
    return ToGbkPage(
        FramePage("页面不存在", Section("页面不存在",
                                        "<p>您访问的页面不存在。</p>\n"
                                        "<p><a href=\"/home.html\">返回首页</a></p>\n")));
}

}  // namespace miyoutong::demo
