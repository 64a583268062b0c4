#include "search/result_parser.h"

#include <array>
#include <string>

#include "common/gbk.h"
#include "common/text.h"

namespace miyoutong {

namespace {

// Result list columns 1 to 6 and the group each one takes.
constexpr std::array<int, 6> kColumnGroups = {3, 1, 4, 5, 7, 0};

struct ParserTexts {
    std::string waiting = Gbk("等待下载");
    std::string forbidden = Gbk("禁止下载");
    std::string countPrefix = Gbk("已搜索到：");
    std::string women = Gbk("个美女");
    std::string men = Gbk("个帅哥");
};

const ParserTexts& Texts() {
    static const ParserTexts texts;
    return texts;
}

void AppendRow(ControlSurface& controls, RegexHolder::Groups groups) {
    const ParserTexts& texts = Texts();
    const int count = controls.RowCount();
    const int row = controls.InsertRow(count, DecimalText(count));
    for (size_t column = 0; column < kColumnGroups.size(); ++column) {
        const auto group = static_cast<size_t>(kColumnGroups[column]);
        const std::string_view text = group < groups.size() ? groups[group] : std::string_view();
        controls.SetCellText(row, static_cast<int>(column) + 1, Utf8ToGbk(text));
    }
    controls.SetCellText(
        row, 7, controls.CheckState(Control::选择框2) != 0 ? texts.waiting : texts.forbidden);
    const int gender = controls.ComboSelection(Control::组合框_性别);
    if (gender == 2 || gender == 1) {
        controls.SetCaption(Control::标签11, texts.countPrefix + DecimalText(controls.RowCount()) +
                                                 (gender == 2 ? texts.women : texts.men));
    }
}

}  // namespace

void ParseResultBlock(ControlSurface& controls, const RegexHolder& regex, std::string_view block) {
    if (block.empty() || regex.Empty()) {
        return;
    }
    // Matching works on characters; the conversion keeps bytes that are not GBK as private-use
    // characters, so every group turns back into exactly the bytes of the page. Its output is
    // valid UTF-8 whatever the block holds, so the matcher need not check it again.
    const std::string text = GbkToUtf8(block);
    regex.ForEachMatch(
        text, [&controls](RegexHolder::Groups groups) { AppendRow(controls, groups); },
        RegexHolder::Subject::ValidUtf8);
}

}  // namespace miyoutong
