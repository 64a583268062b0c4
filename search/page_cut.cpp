#include "search/page_cut.h"

#include "common/gbk.h"
#include "common/text.h"

namespace miyoutong {

const std::string& NoResultText() {
    static const std::string text = Gbk("非常抱歉，找不到您要求的结果");
    return text;
}

const std::string& MemberBlockBeginMarker() {
    static const std::string text = Gbk("<!--会员信息 begin-->");
    return text;
}

const std::string& MemberBlockEndMarker() {
    static const std::string text = Gbk("<!--会员信息 end-->");
    return text;
}

bool HoldsNoResultText(std::string_view page) {
    return FindText(page, NoResultText()) > 0;
}

// Positions and lengths follow the substring rules on purpose: b = -1 (no begin marker) still
// gives a block from byte 20, and e before b gives a length of 0 or less, hence empty text.
std::string CutMemberBlock(std::string_view page) {
    const int markerLength = static_cast<int>(MemberBlockBeginMarker().size());
    const int b = FindText(page, MemberBlockBeginMarker());
    const int e = FindText(page, MemberBlockEndMarker());
    return Mid(page, b + markerLength, e - b - markerLength);
}

}  // namespace miyoutong
