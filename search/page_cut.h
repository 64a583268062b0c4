#pragma once

// What the page walk looks for in a result page (GBK bytes, searched as they are).

#include <string>
#include <string_view>

namespace miyoutong {

// "非常抱歉，找不到您要求的结果", "<!--会员信息 begin-->" (21 bytes), "<!--会员信息 end-->", as
// GBK.
const std::string& NoResultText();
const std::string& MemberBlockBeginMarker();
const std::string& MemberBlockEndMarker();

// True when the page says that there are no (more) results.
bool HoldsNoResultText(std::string_view page);

// The text strictly between the begin and the end marker. A missing end marker, or one before
// the begin marker, gives empty text; a missing begin marker (position -1) starts the block at
// byte 20 of the page.
std::string CutMemberBlock(std::string_view page);

}  // namespace miyoutong
