#pragma once

#include <string_view>

namespace miyoutong {

// One member entry of a result page: the photo tag, the paragraph with the member ID, age and
// region, and the integrity paragraph. Groups, counted from 0: photo URL, nickname, photo class,
// member ID, age, region, integrity class, integrity value.
inline constexpr std::string_view kMemberEntryPattern =
    R"re(img\ssrc="(.*?)"\salt="(.*?)"\sclass="(.*?)"\s\/\>\s+\<p>\s+\<span\sid="lastlogindesc_(.*?)"\>(.*?)，(.*?)\<\/span\>\<\/p\>\s+\<p\>\<span\sclass='integrity\sclearfix'\>\<span\sclass='fLefts'\>诚信值：\<\/span\>\<em\sclass='(.*?)'\>\<span\>(.*?)\<\/span\>\<\/em\>\<\/span\>\<\/p\>)re";

inline constexpr int kMemberEntryGroupCount = 8;

}  // namespace miyoutong
