#pragma once

// A table as read from a Jet file, before it is loaded into SQLite. Names and texts are UTF-8.

#include <cstddef>
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace miyoutong {

// Limits far above any region database (a few hundred kilobytes, a few thousand values) that keep
// a hostile file from taking the program's memory.
inline constexpr std::size_t kJetMaximumFileBytes = 16 * 1024 * 1024;
inline constexpr std::size_t kJetMaximumColumns = 255;
inline constexpr std::size_t kJetMaximumValues = 1'000'000;  // rows times columns, all tables
inline constexpr std::size_t kJetMaximumTextBytes = 16 * 1024 * 1024;  // all texts together

enum class JetColumnType : std::uint8_t {
    Integer,  // Yes/No, Byte, Integer, Long Integer, AutoNumber
    Real,     // Single, Double
    Text,     // Text, Memo
    Other,    // anything else; its values are read as Null
};

struct JetColumn {
    std::string name;
    JetColumnType type = JetColumnType::Other;
};

// Null, an integer, a floating-point number or a UTF-8 text.
using JetValue = std::variant<std::monostate, std::int64_t, double, std::string>;

struct JetTable {
    std::string name;
    std::vector<JetColumn> columns;
    std::vector<std::vector<JetValue>> rows;  // in stored order; one value per column
};

}  // namespace miyoutong
