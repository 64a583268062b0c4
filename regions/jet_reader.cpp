#include "regions/jet_reader.h"

#include <mdbtools.h>

#include <cstring>
#include <memory>

#include "regions/jet_header.h"
#include "regions/jet_pages.h"
#include "regions/jet_text.h"

namespace miyoutong {

struct JetReader::Handle {
    MdbHandle* mdb = nullptr;
};

namespace {

constexpr std::uint32_t kCataloguePage = 2;
constexpr int kRowOffsetMask = 0x1FFF;

struct TableDeleter {
    void operator()(MdbTableDef* table) const { mdb_free_tabledef(table); }
};
using TablePointer = std::unique_ptr<MdbTableDef, TableDeleter>;

JetColumnType ColumnType(int mdbType) {
    switch (mdbType) {
        case MDB_BOOL:
        case MDB_BYTE:
        case MDB_INT:
        case MDB_LONGINT:
            return JetColumnType::Integer;
        case MDB_FLOAT:
        case MDB_DOUBLE:
            return JetColumnType::Real;
        case MDB_TEXT:
        case MDB_MEMO:
            return JetColumnType::Text;
        default:
            return JetColumnType::Other;
    }
}

// Fixed-size values need their whole width inside the row.
std::size_t FixedWidth(int mdbType) {
    switch (mdbType) {
        case MDB_BYTE:
            return 1;
        case MDB_INT:
            return 2;
        case MDB_LONGINT:
        case MDB_FLOAT:
            return 4;
        case MDB_DOUBLE:
            return 8;
        default:
            return 0;
    }
}

std::uint64_t LittleEndian(const unsigned char* p, std::size_t width) {
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < width; ++i) {
        value |= std::uint64_t{p[i]} << (8 * i);
    }
    return value;
}

class TableReader {
public:
    TableReader(MdbHandle* mdb, MdbTableDef* table, std::size_t& valueBudget,
                std::size_t& textBudget)
        : mdb_(mdb), table_(table), valueBudget_(valueBudget), textBudget_(textBudget) {}

    bool Read(JetTable& out) {
        if (table_->columns == nullptr || table_->columns->len != table_->num_cols ||
            table_->num_cols == 0 || table_->num_cols > kJetMaximumColumns) {
            return false;
        }
        out.name = table_->name;
        for (unsigned i = 0; i < table_->num_cols; ++i) {
            const auto* column = static_cast<MdbColumn*>(g_ptr_array_index(table_->columns, i));
            out.columns.push_back({column->name, ColumnType(column->col_type)});
        }
        mdb_rewind_table(table_);
        while (mdb_fetch_row(table_)) {
            if (table_->num_cols > valueBudget_) {
                return false;
            }
            valueBudget_ -= table_->num_cols;
            std::vector<JetValue> row;
            if (!ReadCurrentRow(row)) {
                return false;
            }
            out.rows.push_back(std::move(row));
        }
        // The count in the table definition must agree with the rows found: a file whose
        // definition claims more or fewer rows is damaged.
        return out.rows.size() == table_->num_rows;
    }

private:
    // The row mdb_fetch_row has just read lies on the page in mdb->pg_buf.
    bool ReadCurrentRow(std::vector<JetValue>& row) {
        int start = 0;
        size_t size = 0;
        if (table_->cur_row == 0 ||
            mdb_find_row(mdb_, static_cast<int>(table_->cur_row) - 1, &start, &size) != 0) {
            return false;
        }
        const int rowStart = start & kRowOffsetMask;
        if (size < 2 || size > kJetPageSize || rowStart + size > kJetPageSize) {
            return false;
        }
        rowStart_ = rowStart;
        rowEnd_ = rowStart + static_cast<int>(size);
        MdbField fields[256] = {};
        const int fieldCount = mdb_crack_row(table_, rowStart, size, fields);
        if (fieldCount < 0) {
            return false;
        }
        row.resize(table_->num_cols);
        // Memo values may be read from other pages through libmdb, so they come last.
        for (int pass = 0; pass < 2; ++pass) {
            for (unsigned i = 0; i < table_->num_cols; ++i) {
                const auto* column = static_cast<MdbColumn*>(g_ptr_array_index(table_->columns, i));
                if ((column->col_type == MDB_MEMO) != (pass == 1)) {
                    continue;
                }
                if (!ReadValue(*column, fields[i], row[i])) {
                    return false;
                }
            }
        }
        return true;
    }

    bool ReadValue(const MdbColumn& column, const MdbField& field, JetValue& value) {
        // Yes/No lives in the null mask: a set bit means Yes.
        if (column.col_type == MDB_BOOL) {
            value = std::int64_t{field.is_null ? 0 : 1};
            return true;
        }
        if (field.is_null || ColumnType(column.col_type) == JetColumnType::Other) {
            value = std::monostate{};
            return true;
        }
        if (field.siz < 0 || field.start < rowStart_ || field.start > rowEnd_ ||
            field.siz > rowEnd_ - field.start) {
            return false;
        }
        const unsigned char* bytes = mdb_->pg_buf + field.start;
        const auto size = static_cast<std::size_t>(field.siz);
        switch (column.col_type) {
            case MDB_TEXT:
                return TakeText(DecodeJetText({bytes, size}), value);
            case MDB_MEMO:
                return ReadMemo(field, value);
            default:
                break;
        }
        const std::size_t width = FixedWidth(column.col_type);
        if (size < width) {
            return false;
        }
        const std::uint64_t raw = LittleEndian(bytes, width);
        switch (column.col_type) {
            case MDB_BYTE:
                value = static_cast<std::int64_t>(raw);
                break;
            case MDB_INT:
                value = std::int64_t{static_cast<std::int16_t>(raw)};
                break;
            case MDB_LONGINT:
                value = std::int64_t{static_cast<std::int32_t>(raw)};
                break;
            case MDB_FLOAT: {
                float real = 0;
                const auto bits = static_cast<std::uint32_t>(raw);
                std::memcpy(&real, &bits, sizeof real);
                value = double{real};
                break;
            }
            default: {
                double real = 0;
                std::memcpy(&real, &raw, sizeof real);
                value = real;
                break;
            }
        }
        return true;
    }

    bool ReadMemo(const MdbField& field, JetValue& value) {
        char* text = mdb_col_to_string(mdb_, mdb_->pg_buf, field.start, MDB_MEMO, field.siz);
        if (text == nullptr) {
            value = std::monostate{};
            return true;
        }
        std::string utf8(text);
        g_free(text);
        return TakeText(std::move(utf8), value);
    }

    bool TakeText(std::string text, JetValue& value) {
        if (text.size() > textBudget_) {
            return false;
        }
        textBudget_ -= text.size();
        value = std::move(text);
        return true;
    }

    MdbHandle* mdb_;
    MdbTableDef* table_;
    std::size_t& valueBudget_;
    std::size_t& textBudget_;
    int rowStart_ = 0;
    int rowEnd_ = 0;
};

}  // namespace

JetReader::~JetReader() {
    if (handle_ != nullptr) {
        mdb_close(handle_->mdb);
        delete handle_;
    }
}

bool JetReader::Open(std::span<const unsigned char> file) {
    if (handle_ != nullptr) {
        return false;
    }
    // libmdb only reads through the buffer; its interface is not const.
    MdbHandle* mdb =
        mdb_open_buffer(const_cast<unsigned char*>(file.data()), file.size(), MDB_NOFLAGS);
    if (mdb == nullptr) {
        return false;
    }
    // Names come out as UTF-8 whatever the environment asks of libmdb.
    mdb_iconv_close(mdb);
    mdb->iconv_in = iconv_open("UTF-8", "UCS-2LE");
    mdb->iconv_out = iconv_open("UCS-2LE", "UTF-8");
    if (mdb->iconv_in == reinterpret_cast<iconv_t>(-1) ||
        mdb->iconv_out == reinterpret_cast<iconv_t>(-1)) {
        mdb_close(mdb);
        return false;
    }
    handle_ = new Handle{mdb};
    file_ = file;
    return true;
}

std::optional<std::vector<JetTable>> JetReader::ReadTables() {
    if (handle_ == nullptr) {
        return std::nullopt;
    }
    MdbHandle* mdb = handle_->mdb;
    const JetPages pages(file_);
    if (!pages.IsTableDefinition(kCataloguePage) || mdb_read_catalog(mdb, MDB_ANY) == nullptr ||
        mdb->num_catalog != pages.DeclaredRowCount(kCataloguePage)) {
        return std::nullopt;
    }
    std::size_t valueBudget = kJetMaximumValues;
    std::size_t textBudget = kJetMaximumTextBytes;
    std::vector<JetTable> tables;
    for (unsigned i = 0; i < mdb->num_catalog; ++i) {
        auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(mdb->catalog, i));
        if (entry->object_type != MDB_TABLE || !mdb_is_user_table(entry)) {
            continue;
        }
        if (entry->table_pg > UINT32_MAX ||
            !pages.IsTableDefinition(static_cast<std::uint32_t>(entry->table_pg))) {
            return std::nullopt;
        }
        const TablePointer table(mdb_read_table(entry));
        if (!table || table->num_cols == 0 || table->num_cols > kJetMaximumColumns ||
            mdb_read_columns(table.get()) == nullptr) {
            return std::nullopt;
        }
        JetTable out;
        if (!TableReader(mdb, table.get(), valueBudget, textBudget).Read(out)) {
            return std::nullopt;
        }
        tables.push_back(std::move(out));
    }
    return tables;
}

}  // namespace miyoutong
