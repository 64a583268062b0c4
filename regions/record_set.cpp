#include "regions/record_set.h"

#include <sqlite3.h>

#include <climits>
#include <string_view>

#include "common/text.h"
#include "regions/region_database.h"

namespace miyoutong {

namespace {

bool OnlyBlanksOrSemicolons(std::string_view rest) {
    for (char c : rest) {
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n' && c != ';') {
            return false;
        }
    }
    return true;
}

}  // namespace

void RecordSet::Bind(RegionDatabase& database) {
    database_ = &database;
}

bool RecordSet::Open(const std::string& sql) {
    Close();
    if (database_ == nullptr || !database_->IsOpen()) {
        return false;
    }
    sqlite3_stmt* statement = nullptr;
    const char* rest = nullptr;
    if (sqlite3_prepare_v2(database_->Connection(), sql.data(), static_cast<int>(sql.size()),
                           &statement, &rest) != SQLITE_OK ||
        statement == nullptr) {
        sqlite3_finalize(statement);
        return false;
    }
    // A record set only reads, and runs exactly one statement.
    if (!sqlite3_stmt_readonly(statement) ||
        !OnlyBlanksOrSemicolons(std::string_view(rest, sql.data() + sql.size() - rest))) {
        sqlite3_finalize(statement);
        return false;
    }
    const int columns = sqlite3_column_count(statement);
    std::vector<std::string> names;
    for (int i = 0; i < columns; ++i) {
        const char* name = sqlite3_column_name(statement, i);
        names.emplace_back(name != nullptr ? name : "");
    }
    std::vector<std::vector<std::optional<std::string>>> rows;
    int step = SQLITE_ROW;
    while ((step = sqlite3_step(statement)) == SQLITE_ROW && rows.size() < INT_MAX) {
        std::vector<std::optional<std::string>>& row = rows.emplace_back(columns);
        for (int i = 0; i < columns; ++i) {
            if (sqlite3_column_type(statement, i) == SQLITE_NULL) {
                continue;
            }
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, i));
            const int bytes = sqlite3_column_bytes(statement, i);
            row[i] = text != nullptr ? std::string(text, static_cast<std::size_t>(bytes))
                                     : std::string();
        }
    }
    sqlite3_finalize(statement);
    if (step != SQLITE_DONE) {
        return false;
    }
    fieldNames_ = std::move(names);
    rows_ = std::move(rows);
    current_ = 0;
    open_ = true;
    return true;
}

int RecordSet::RowCount() const {
    return open_ ? static_cast<int>(rows_.size()) : -1;
}

std::string RecordSet::FieldText(const std::string& name) const {
    if (!open_ || current_ >= rows_.size()) {
        return {};
    }
    const std::string wanted = AsciiLower(name);
    for (std::size_t i = 0; i < fieldNames_.size(); ++i) {
        if (AsciiLower(fieldNames_[i]) == wanted) {
            return rows_[current_][i].value_or(std::string());
        }
    }
    return {};
}

void RecordSet::MoveNext() {
    if (open_ && current_ < rows_.size()) {
        ++current_;
    }
}

void RecordSet::Close() {
    open_ = false;
    fieldNames_.clear();
    rows_.clear();
    current_ = 0;
}

}  // namespace miyoutong
