#include "regions/jet_pages.h"

#include "regions/jet_header.h"
#include "regions/jet_table.h"

namespace miyoutong {

namespace {

constexpr unsigned char kDataPage = 0x01;
constexpr unsigned char kTableDefinitionPage = 0x02;
constexpr unsigned kRowCountOffset = 12;
constexpr unsigned kRowOffsetMask = 0x1FFF;
// Table definition fields.
constexpr unsigned kDeclaredRowCountOffset = 16;
constexpr unsigned kVariableColumnCountOffset = 43;
constexpr unsigned kColumnCountOffset = 45;
constexpr unsigned kUsageMapOffset = 55;
constexpr unsigned kFreeMapOffset = 59;
// Usage map types: a bitmap of pages from a start page, or a list of bitmap pages.
constexpr unsigned char kInlineMap = 0;
constexpr unsigned char kReferenceMap = 1;

unsigned Uint16At(const unsigned char* p) {
    return p[0] | p[1] << 8;
}

std::uint32_t Uint32At(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

}  // namespace

std::uint32_t JetPages::PageCount() const {
    return static_cast<std::uint32_t>(file_.size() / kJetPageSize);
}

const unsigned char* JetPages::Page(std::uint32_t page) const {
    return page < PageCount() ? file_.data() + std::size_t{page} * kJetPageSize : nullptr;
}

bool JetPages::RowBounds(const unsigned char* page, unsigned row, unsigned& start,
                         unsigned& end) const {
    const unsigned rowCount = Uint16At(page + kRowCountOffset);
    const unsigned tableEnd = kRowCountOffset + 2 + 2 * rowCount;
    if (row >= rowCount || tableEnd > kJetPageSize) {
        return false;
    }
    start = Uint16At(page + kRowCountOffset + 2 + 2 * row) & kRowOffsetMask;
    end = row == 0 ? kJetPageSize : Uint16At(page + kRowCountOffset + 2 * row) & kRowOffsetMask;
    return start >= tableEnd && start < end && end <= kJetPageSize;
}

bool JetPages::RowExists(std::uint32_t pageRow) const {
    const unsigned char* page = Page(pageRow >> 8);
    unsigned start = 0;
    unsigned end = 0;
    return page != nullptr && pageRow >> 8 != 0 && page[0] == kDataPage &&
           RowBounds(page, pageRow & 0xFF, start, end);
}

bool JetPages::UsageMapIsSound(std::uint32_t pageRow) const {
    if (!RowExists(pageRow)) {
        return false;
    }
    const unsigned char* page = Page(pageRow >> 8);
    unsigned start = 0;
    unsigned end = 0;
    RowBounds(page, pageRow & 0xFF, start, end);
    const unsigned char* map = page + start;
    const unsigned size = end - start;
    if (size < 5) {
        return false;
    }
    if (map[0] == kInlineMap) {
        return Uint32At(map + 1) < PageCount();
    }
    if (map[0] != kReferenceMap) {
        return false;
    }
    for (unsigned offset = 1; offset + 4 <= size; offset += 4) {
        const std::uint32_t mapPage = Uint32At(map + offset);
        if (mapPage != 0 && mapPage >= PageCount()) {
            return false;
        }
    }
    return true;
}

std::uint32_t JetPages::DeclaredRowCount(std::uint32_t tableDefinitionPage) const {
    const unsigned char* p = Page(tableDefinitionPage);
    return p != nullptr ? Uint32At(p + kDeclaredRowCountOffset) : 0;
}

bool JetPages::IsTableDefinition(std::uint32_t page) const {
    const unsigned char* p = Page(page);
    if (p == nullptr || page == 0 || p[0] != kTableDefinitionPage) {
        return false;
    }
    const unsigned columns = Uint16At(p + kColumnCountOffset);
    const unsigned variableColumns = Uint16At(p + kVariableColumnCountOffset);
    return columns >= 1 && columns <= kJetMaximumColumns && variableColumns <= columns &&
           UsageMapIsSound(Uint32At(p + kUsageMapOffset)) &&
           UsageMapIsSound(Uint32At(p + kFreeMapOffset));
}

}  // namespace miyoutong
