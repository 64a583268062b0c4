#include "regions/jet_table_stream.h"

#include <cstdint>
#include <cstring>

namespace miyoutong {

namespace {

constexpr std::string_view kStart = "JTS1";
constexpr std::string_view kEnd = "JTS.";
constexpr std::size_t kMaximumNameBytes = 1024;

enum Tag : std::uint8_t { kNull, kInteger, kReal, kText };

void PutU32(std::string& out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        out += static_cast<char>(value >> (8 * i) & 0xFF);
    }
}

void PutU64(std::string& out, std::uint64_t value) {
    for (int i = 0; i < 8; ++i) {
        out += static_cast<char>(value >> (8 * i) & 0xFF);
    }
}

void PutText(std::string& out, std::string_view text) {
    PutU32(out, static_cast<std::uint32_t>(text.size()));
    out += text;
}

class Reader {
public:
    explicit Reader(std::string_view in) : in_(in) {}

    bool Literal(std::string_view expected) {
        if (in_.substr(pos_, expected.size()) != expected) {
            return false;
        }
        pos_ += expected.size();
        return true;
    }

    bool U8(std::uint8_t& value) {
        if (Left() < 1) {
            return false;
        }
        value = static_cast<std::uint8_t>(in_[pos_++]);
        return true;
    }

    bool U32(std::uint32_t& value) {
        std::uint64_t wide = 0;
        if (!Unsigned(4, wide)) {
            return false;
        }
        value = static_cast<std::uint32_t>(wide);
        return true;
    }

    bool U64(std::uint64_t& value) { return Unsigned(8, value); }

    bool Text(std::string& text, std::size_t maximum) {
        std::uint32_t size = 0;
        if (!U32(size) || size > maximum || size > Left()) {
            return false;
        }
        text.assign(in_.substr(pos_, size));
        pos_ += size;
        return true;
    }

    std::size_t Left() const { return in_.size() - pos_; }

    // Counts values against kJetMaximumValues.
    bool TakeValues(std::size_t count) {
        if (count > kJetMaximumValues - values_) {
            return false;
        }
        values_ += count;
        return true;
    }

private:
    bool Unsigned(int bytes, std::uint64_t& value) {
        if (Left() < static_cast<std::size_t>(bytes)) {
            return false;
        }
        value = 0;
        for (int i = 0; i < bytes; ++i) {
            value |= std::uint64_t{static_cast<unsigned char>(in_[pos_ + i])} << (8 * i);
        }
        pos_ += bytes;
        return true;
    }

    std::string_view in_;
    std::size_t pos_ = 0;
    std::size_t values_ = 0;
};

bool DecodeValue(Reader& reader, JetValue& value) {
    std::uint8_t tag = 0;
    if (!reader.U8(tag)) {
        return false;
    }
    switch (tag) {
        case kNull:
            value = std::monostate{};
            return true;
        case kInteger: {
            std::uint64_t bits = 0;
            if (!reader.U64(bits)) {
                return false;
            }
            value = static_cast<std::int64_t>(bits);
            return true;
        }
        case kReal: {
            std::uint64_t bits = 0;
            if (!reader.U64(bits)) {
                return false;
            }
            double real = 0;
            std::memcpy(&real, &bits, sizeof real);
            value = real;
            return true;
        }
        case kText: {
            std::string text;
            if (!reader.Text(text, reader.Left())) {
                return false;
            }
            value = std::move(text);
            return true;
        }
        default:
            return false;
    }
}

bool DecodeTable(Reader& reader, JetTable& table) {
    std::uint32_t columnCount = 0;
    if (!reader.Text(table.name, kMaximumNameBytes) || !reader.U32(columnCount) ||
        columnCount == 0 || columnCount > kJetMaximumColumns) {
        return false;
    }
    table.columns.resize(columnCount);
    for (JetColumn& column : table.columns) {
        std::uint8_t type = 0;
        if (!reader.Text(column.name, kMaximumNameBytes) || !reader.U8(type) ||
            type > static_cast<std::uint8_t>(JetColumnType::Other)) {
            return false;
        }
        column.type = static_cast<JetColumnType>(type);
    }
    std::uint32_t rowCount = 0;
    // Every value takes at least its tag byte.
    if (!reader.U32(rowCount) || rowCount > reader.Left() / columnCount ||
        !reader.TakeValues(std::size_t{rowCount} * columnCount)) {
        return false;
    }
    table.rows.resize(rowCount);
    for (std::vector<JetValue>& row : table.rows) {
        row.resize(columnCount);
        for (JetValue& value : row) {
            if (!DecodeValue(reader, value)) {
                return false;
            }
        }
    }
    return true;
}

}  // namespace

std::string EncodeJetTables(const std::vector<JetTable>& tables) {
    std::string out(kStart);
    PutU32(out, static_cast<std::uint32_t>(tables.size()));
    for (const JetTable& table : tables) {
        PutText(out, table.name);
        PutU32(out, static_cast<std::uint32_t>(table.columns.size()));
        for (const JetColumn& column : table.columns) {
            PutText(out, column.name);
            out += static_cast<char>(column.type);
        }
        PutU32(out, static_cast<std::uint32_t>(table.rows.size()));
        for (const std::vector<JetValue>& row : table.rows) {
            for (const JetValue& value : row) {
                if (const auto* integer = std::get_if<std::int64_t>(&value)) {
                    out += static_cast<char>(kInteger);
                    PutU64(out, static_cast<std::uint64_t>(*integer));
                } else if (const auto* real = std::get_if<double>(&value)) {
                    std::uint64_t bits = 0;
                    std::memcpy(&bits, real, sizeof bits);
                    out += static_cast<char>(kReal);
                    PutU64(out, bits);
                } else if (const auto* text = std::get_if<std::string>(&value)) {
                    out += static_cast<char>(kText);
                    PutText(out, *text);
                } else {
                    out += static_cast<char>(kNull);
                }
            }
        }
    }
    out += kEnd;
    return out;
}

std::optional<std::vector<JetTable>> DecodeJetTables(std::string_view stream) {
    Reader reader(stream);
    std::uint32_t tableCount = 0;
    // A table takes at least its name length, column count, one column and row count.
    if (!reader.Literal(kStart) || !reader.U32(tableCount) || tableCount > reader.Left() / 17) {
        return std::nullopt;
    }
    std::vector<JetTable> tables(tableCount);
    for (JetTable& table : tables) {
        if (!DecodeTable(reader, table)) {
            return std::nullopt;
        }
    }
    if (!reader.Literal(kEnd) || reader.Left() != 0) {
        return std::nullopt;
    }
    return tables;
}

}  // namespace miyoutong
