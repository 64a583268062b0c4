#pragma once

// GBK result pages in the form the dating service sends: a member block between the two member
// markers inside an ordinary page.

#include <string>
#include <vector>

#include "common/gbk.h"

namespace miyoutong::testing_support {

struct MemberEntry {
    std::string id, nickname, age, region, integrity, photoUrl;  // UTF-8
};

inline std::string MemberEntryHtml(const MemberEntry& m) {
    return Gbk("<img src=\"" + m.photoUrl + "\" alt=\"" + m.nickname +
               "\" class=\"photo\" />\n  <p>\n  <span id=\"lastlogindesc_" + m.id + "\">" + m.age +
               "，" + m.region +
               "</span></p>\n  <p><span class='integrity clearfix'><span "
               "class='fLefts'>诚信值：</span><em class='lv3'><span>" +
               m.integrity + "</span></em></span></p>\n");
}

inline std::string MemberBlockHtml(const std::vector<MemberEntry>& members) {
    std::string block;
    for (const MemberEntry& m : members) {
        block += "<li>" + MemberEntryHtml(m) + "</li>\n";
    }
    return block;
}

inline std::string ResultPageHtml(const std::vector<MemberEntry>& members) {
    return Gbk("<!DOCTYPE html>\n<html><head><meta charset=\"gbk\"><title>搜索结果</title></head>"
               "<body><div class=\"nav\">首页 | 搜索</div>\n<!--会员信息 begin-->\n") +
           MemberBlockHtml(members) + Gbk("<!--会员信息 end-->\n<div class=\"foot\">版权所有</div></body></html>\n");
}

inline std::string NoResultPageHtml() {
    return Gbk("<!DOCTYPE html>\n<html><body><p>非常抱歉，找不到您要求的结果</p></body></html>");
}

}  // namespace miyoutong::testing_support
