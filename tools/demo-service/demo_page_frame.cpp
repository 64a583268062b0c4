#include "tools/demo-service/demo_page_frame.h"

#include "common/gbk.h"

namespace miyoutong::demo {

namespace {

constexpr std::string_view kHead =
    R"(<!DOCTYPE html PUBLIC "-//W3C//DTD XHTML 1.0 Transitional//EN" "http://www.w3.org/TR/xhtml1/DTD/xhtml1-transitional.dtd">
<html xmlns="http://www.w3.org/1999/xhtml">
<head>
<meta http-equiv="Content-Type" content="text/html; charset=gbk" />
<meta name="keywords" content="交友,征婚,会员搜索,演示" />
<title>)";

constexpr std::string_view kStyle = R"( - 缘来演示网</title>
<style type="text/css">
body{margin:0;font:12px/1.6 "宋体",SimSun,sans-serif;background:#f5f1ec;color:#333}
a{color:#b03a2e;text-decoration:none}
a:hover{text-decoration:underline}
#top{background:#b03a2e;color:#fff;padding:8px 20px}
#top .logo{font-size:20px;font-weight:bold;color:#fff;margin-right:12px}
#nav{background:#fff;border-bottom:1px solid #e5d9cc;padding:6px 20px}
#nav a{margin-right:18px}
.demo-note{background:#fff8d6;border:1px solid #f0d77b;margin:10px 20px;padding:6px 10px}
#wrap{margin:0 20px;overflow:hidden}
#main{float:left;width:760px}
#side{float:right;width:190px;background:#fff;border:1px solid #eee;padding:6px}
.summary{background:#fff;border:1px solid #eee;padding:6px 10px;margin-bottom:10px}
ul.members{list-style:none;margin:0;padding:0;overflow:hidden}
ul.members li{float:left;width:178px;height:250px;margin:0 8px 8px 0;background:#fff;border:1px solid #eee;text-align:center}
ul.members img{width:100px;height:125px;margin-top:8px;border:1px solid #ddd}
.integrity em{font-style:normal;color:#e67e22}
.fLefts{color:#999}
.noresult{background:#fff;border:1px solid #eee;padding:40px;text-align:center;font-size:14px}
.pager{clear:both;padding:10px 0}
.pager a,.pager span{margin:0 2px;padding:2px 6px;border:1px solid #ddd;background:#fff}
.pager span.current{background:#b03a2e;color:#fff}
table.profile td{padding:4px 10px;border-bottom:1px dashed #eee}
#foot{clear:both;text-align:center;color:#999;padding:20px 0;border-top:1px solid #e5d9cc;margin-top:20px}
</style>
</head>
<body>
<div id="top"><a class="logo" href="/home.html">缘来演示网</a><span>真诚交友 从这里开始</span></div>
<div id="nav">
  <a href="/home.html">首页</a>
  <a href="/search/getfastmdata.jsps?gender=1&amp;currentpage=1">会员搜索</a>
  <a href="/blog.html">博客</a>
  <a href="/forum.html">论坛</a>
  <a href="/download.html">软件下载</a>
</div>
<div class="demo-note">本站是觅友通的本地演示服务：所有会员、相片和资料都由程序随机生成，并非真实人物。</div>
<div id="wrap">
)";

constexpr std::string_view kFoot = R"(
</div>
<div id="foot">
  <a href="/home.html">关于我们</a> | <a href="/forum.html">意见反馈</a> | <a href="/download.html">客户端下载</a><br />
  缘来演示网 版权所有 仅供演示与测试
</div>
</body>
</html>
)";

}  // namespace

std::string FramePage(std::string_view title, std::string_view body) {
    std::string page;
    page.reserve(kHead.size() + kStyle.size() + kFoot.size() + title.size() + body.size());
    page += kHead;
    page += HtmlEscape(title);
    page += kStyle;
    page += body;
    page += kFoot;
    return page;
}

std::string ToGbkPage(std::string_view utf8Page) {
    return Utf8ToGbk(utf8Page);
}

std::string HtmlEscape(std::string_view text) {
    std::string escaped;
    escaped.reserve(text.size());
    for (const char c : text) {
        switch (c) {
            case '&':
                escaped += "&amp;";
                break;
            case '<':
                escaped += "&lt;";
                break;
            case '>':
                escaped += "&gt;";
                break;
            case '"':
                escaped += "&quot;";
                break;
            case '\'':
                escaped += "&#39;";
                break;
            default:
                escaped += c;
        }
    }
    return escaped;
}

}  // namespace miyoutong::demo
