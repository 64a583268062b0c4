// libFuzzer target: one result page as the page walk handles it (no-result check, member block
// cut, entry parser writing rows into the result list). Whatever the page holds, the walk must
// not crash, and the rows must be exactly the entries the pattern finds, byte for byte.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "common/gbk.h"
#include "common/memory_control_surface.h"
#include "common/text.h"
#include "search/page_cut.h"
#include "search/regex_holder.h"
#include "search/result_parser.h"

namespace {

using namespace miyoutong;

void Check(bool holds, const char* what) {
    if (!holds) {
        std::fprintf(stderr, "page_walk_fuzz: broken invariant: %s\n", what);
        std::abort();
    }
}

// 0-based start of the first occurrence of `sought` that begins on a character boundary, by
// walking the characters one at a time.
std::size_t FirstAtBoundary(std::string_view text, std::string_view sought) {
    for (std::size_t at = 0; at < text.size();
         at += IsGbkLeadByte(static_cast<unsigned char>(text[at])) ? 2 : 1) {
        if (text.substr(at, sought.size()) == sought) {
            return at;
        }
    }
    return std::string_view::npos;
}

// The block by the rules the cut follows: strictly between the markers, from byte 20 when the
// begin marker is missing, nothing when the end marker is missing or not behind the begin.
std::string ExpectedBlock(std::string_view page) {
    const std::size_t markerLength = MemberBlockBeginMarker().size();
    const std::size_t begin = FirstAtBoundary(page, MemberBlockBeginMarker());
    const std::size_t end = FirstAtBoundary(page, MemberBlockEndMarker());
    if (end == std::string_view::npos) {
        return {};
    }
    const std::size_t from =
        begin == std::string_view::npos ? markerLength - 2 : begin + markerLength;
    if (end <= from || from >= page.size()) {
        return {};
    }
    return std::string(page.substr(from, end - from));
}

const RegexHolder& Regex() {
    static const RegexHolder* regex = [] {
        auto* made = new RegexHolder;
        Check(made->Create(), "the member-entry pattern compiles");
        return made;
    }();
    return *regex;
}

// Result list columns 1 to 6 and the group each one takes, as the list shows them.
constexpr int kColumnGroups[] = {3, 1, 4, 5, 7, 0};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view page(reinterpret_cast<const char*>(data), size);

    Check(HoldsNoResultText(page) == (FirstAtBoundary(page, NoResultText()) != std::string::npos),
          "the no-result text is found exactly at character boundaries");

    const std::string block = CutMemberBlock(page);
    Check(block == ExpectedBlock(page), "the block lies strictly between the markers");

    // The window's state varies with the page, so every branch of the row writer is taken.
    MemoryControlSurface controls;
    for (const char* item : {"请选择", "男", "女"}) {
        controls.ComboAddItem(Control::组合框_性别, Gbk(item));
    }
    const int gender = static_cast<int>(size % 3);
    const bool download = size / 3 % 2 == 1;
    controls.ComboSelect(Control::组合框_性别, gender);
    controls.SetChecked(Control::选择框2, download);

    ParseResultBlock(controls, Regex(), block);

    // The entries the pattern finds in the same block, as the rows must show them.
    std::vector<std::vector<std::string>> entries;
    const std::string utf8 = GbkToUtf8(block);
    Regex().ForEachMatch(utf8, [&entries](RegexHolder::Groups groups) {
        std::vector<std::string> cells;
        for (const int group : kColumnGroups) {
            cells.push_back(Utf8ToGbk(groups[static_cast<std::size_t>(group)]));
        }
        entries.push_back(std::move(cells));
    });

    const int rows = controls.RowCount();
    Check(rows == static_cast<int>(entries.size()), "one row per entry found");
    const std::string state = Gbk(download ? "等待下载" : "禁止下载");
    for (int row = 0; row < rows; ++row) {
        Check(controls.CellText(row, 0) == DecimalText(row), "column 0 holds the row index");
        for (int column = 1; column <= 6; ++column) {
            const std::string cell = controls.CellText(row, column);
            Check(cell ==
                      entries[static_cast<std::size_t>(row)][static_cast<std::size_t>(column - 1)],
                  "columns 1 to 6 hold the entry's groups");
            // The GBK round trip keeps every byte, so a cell is a piece of the page itself.
            Check(cell.empty() || block.find(cell) != std::string::npos,
                  "every cell is a piece of the block");
        }
        Check(controls.CellText(row, 7) == state, "column 7 holds the download state");
        Check(controls.CellText(row, 8).empty(), "column 8 stays empty until a download");
    }

    std::string count;
    if (rows > 0 && gender != 0) {
        count = Gbk("已搜索到：") + DecimalText(rows) + Gbk(gender == 2 ? "个美女" : "个帅哥");
    }
    Check(controls.Caption(Control::标签11) == count, "the count label shows the rows");
    return 0;
}
