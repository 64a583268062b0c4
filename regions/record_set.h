#pragma once

// The record set (记录集1): runs a SELECT on the region database and holds its whole result, so
// the row count is known at once.

#include <optional>
#include <string>
#include <vector>

namespace miyoutong {

class RegionDatabase;

class RecordSet {
public:
    // Later queries run on `database`, which must outlive the binding.
    void Bind(RegionDatabase& database);

    // Closes the record set if open, then runs the query as written. On success the current row
    // is the first one. A query that fails (no bound or open database, a missing table or field,
    // not a single read-only statement) leaves the record set closed.
    bool Open(const std::string& sql);

    // Number of rows; -1 when the record set is not open.
    int RowCount() const;

    // The named field of the current row as GBK text (field names compare without regard to
    // ASCII case). Empty when there is no current row, no such field, or the value is Null.
    std::string FieldText(const std::string& name) const;

    void MoveNext();

    // No effect when the record set is not open.
    void Close();

    bool IsOpen() const { return open_; }

private:
    RegionDatabase* database_ = nullptr;
    bool open_ = false;
    std::vector<std::string> fieldNames_;
    std::vector<std::vector<std::optional<std::string>>> rows_;
    std::size_t current_ = 0;
};

}  // namespace miyoutong
