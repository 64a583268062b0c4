#include "web/request_head.h"

#include "common/text.h"

namespace miyoutong {

namespace {

constexpr std::string_view kDefaultAcceptLine =
    "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, application/x-shockwave-flash, "
    "application/vnd.ms-excel, application/vnd.ms-powerpoint, application/msword, */*\r\n";
constexpr std::string_view kDefaultLanguageLine = "Accept-Language: zh-cn\r\n";
constexpr std::string_view kFormContentLine = "Content-Type: application/x-www-form-urlencoded\r\n";

}  // namespace

std::string MethodByRule(std::string_view method) {
    if (AsciiUpper(method) == "POST") {
        return std::string(method);
    }
    return "GET";
}

std::string RequestHeaderText(std::string_view headers, std::string_view url,
                              std::string_view method, std::string_view postData) {
    std::string text(headers);
    if (FindTextNoCase(text, "Accept: ") == -1) {
        text += kDefaultAcceptLine;
    }
    if (FindTextNoCase(text, "Referer: ") == -1) {
        text += "Referer: ";
        text += url;
        text += "\r\n";
    }
    if (FindTextNoCase(text, "Accept-Language: ") == -1) {
        text += kDefaultLanguageLine;
    }
    if (method != "GET" && !postData.empty()) {
        text += kFormContentLine;
        text += "Content-Length: " + DecimalText(static_cast<long long>(postData.size())) + "\r\n";
    }
    return text;
}

}  // namespace miyoutong
