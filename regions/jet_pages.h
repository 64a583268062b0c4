#pragma once

// Checks on the raw pages of a Jet 4 file, made before libmdb is trusted with a structure: libmdb
// follows page and row pointers without checking them.

#include <cstdint>
#include <span>

namespace miyoutong {

class JetPages {
public:
    // `file` is a whole Jet 4 file whose header ReadJetHeader accepted.
    explicit JetPages(std::span<const unsigned char> file) : file_(file) {}

    std::uint32_t PageCount() const;

    // A table definition page: in the file, of the right type, with column counts within Jet's
    // limits, and with usage and free-space maps whose rows and pages exist.
    bool IsTableDefinition(std::uint32_t page) const;

    // The row count a table definition page declares.
    std::uint32_t DeclaredRowCount(std::uint32_t tableDefinitionPage) const;

    // The row that a (page << 8 | row) pointer names lies inside a data page of the file.
    bool RowExists(std::uint32_t pageRow) const;

    // A row of a data page as [start, end) byte offsets within the page; false when the row or its
    // bounds do not exist.
    bool RowBounds(const unsigned char* page, unsigned row, unsigned& start, unsigned& end) const;

private:
    const unsigned char* Page(std::uint32_t page) const;
    bool UsageMapIsSound(std::uint32_t pageRow) const;

    std::span<const unsigned char> file_;
};

}  // namespace miyoutong
