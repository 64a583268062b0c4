#include "regions/region_database.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <optional>
#include <vector>

#include "common/gbk.h"
#include "regions/isolated_jet_read.h"
#include "regions/jet_header.h"

namespace miyoutong {

namespace {

// The whole content of a regular file of at most kJetMaximumFileBytes. A FIFO, device or folder
// named by the path is refused before it could block the read.
std::optional<std::vector<unsigned char>> ReadRegularFile(const std::string& path) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        return std::nullopt;
    }
    std::optional<std::vector<unsigned char>> content;
    struct stat info {};
    if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size >= 0 &&
        static_cast<std::uint64_t>(info.st_size) <= kJetMaximumFileBytes) {
        // One byte more than allowed shows a file that grew while it was read.
        std::vector<unsigned char> bytes(static_cast<std::size_t>(info.st_size) + 1);
        std::size_t done = 0;
        bool failed = false;
        while (done < bytes.size()) {
            const ssize_t got = read(fd, bytes.data() + done, bytes.size() - done);
            if (got < 0 && errno == EINTR) {
                continue;
            }
            if (got <= 0) {
                failed = got < 0;
                break;
            }
            done += static_cast<std::size_t>(got);
        }
        if (!failed && done <= kJetMaximumFileBytes && done < bytes.size()) {
            bytes.resize(done);
            content = std::move(bytes);
        }
    }
    close(fd);
    return content;
}

std::string QuotedName(const std::string& utf8) {
    std::string quoted = "\"";
    for (char c : Utf8ToGbk(utf8)) {
        quoted += c;
        if (c == '"') {
            quoted += '"';
        }
    }
    return quoted + "\"";
}

const char* DeclaredType(JetColumnType type) {
    switch (type) {
        case JetColumnType::Integer:
            return " INTEGER";
        case JetColumnType::Real:
            return " REAL";
        case JetColumnType::Text:
            return " TEXT";
        default:
            return "";
    }
}

bool Execute(sqlite3* db, const std::string& sql) {
    return sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
}

bool BindValue(sqlite3_stmt* insert, int index, const JetValue& value) {
    if (const auto* integer = std::get_if<std::int64_t>(&value)) {
        return sqlite3_bind_int64(insert, index, *integer) == SQLITE_OK;
    }
    if (const auto* real = std::get_if<double>(&value)) {
        return sqlite3_bind_double(insert, index, *real) == SQLITE_OK;
    }
    if (const auto* text = std::get_if<std::string>(&value)) {
        // GBK bytes kept as TEXT, so that they compare with the GBK texts of the queries.
        const std::string gbk = Utf8ToGbk(*text);
        return sqlite3_bind_text(insert, index, gbk.data(), static_cast<int>(gbk.size()),
                                 SQLITE_TRANSIENT) == SQLITE_OK;
    }
    return sqlite3_bind_null(insert, index) == SQLITE_OK;
}

bool LoadTable(sqlite3* db, const JetTable& table) {
    std::string create = "CREATE TABLE " + QuotedName(table.name) + " (";
    std::string insert = "INSERT INTO " + QuotedName(table.name) + " VALUES (";
    for (std::size_t i = 0; i < table.columns.size(); ++i) {
        create += (i == 0 ? "" : ", ") + QuotedName(table.columns[i].name) +
                  DeclaredType(table.columns[i].type);
        insert += i == 0 ? "?" : ", ?";
    }
    if (!Execute(db, create + ")")) {
        return false;
    }
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, (insert + ")").c_str(), -1, &statement, nullptr) != SQLITE_OK) {
        return false;
    }
    bool loaded = true;
    for (const std::vector<JetValue>& row : table.rows) {
        for (std::size_t i = 0; loaded && i < row.size(); ++i) {
            loaded = BindValue(statement, static_cast<int>(i + 1), row[i]);
        }
        loaded = loaded && sqlite3_step(statement) == SQLITE_DONE;
        sqlite3_reset(statement);
        if (!loaded) {
            break;
        }
    }
    sqlite3_finalize(statement);
    return loaded;
}

}  // namespace

RegionDatabase::~RegionDatabase() {
    Close();
}

void RegionDatabase::Close() {
    if (db_ != nullptr) {
        sqlite3_close(db_);
        db_ = nullptr;
    }
}

bool RegionDatabase::Open(const std::string& path, const std::string& password) {
    Close();
    const std::optional<std::vector<unsigned char>> file = ReadRegularFile(path);
    if (!file || !CheckJetHeader(*file, password)) {
        return false;
    }
    const std::optional<std::vector<JetTable>> tables = ReadJetTablesIsolated(*file);
    if (!tables) {
        return false;
    }
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(":memory:", &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) !=
        SQLITE_OK) {
        sqlite3_close(db);
        return false;
    }
    bool loaded = Execute(db, "BEGIN");
    for (const JetTable& table : *tables) {
        loaded = loaded && LoadTable(db, table);
    }
    if (!loaded || !Execute(db, "COMMIT")) {
        sqlite3_close(db);
        return false;
    }
    db_ = db;
    return true;
}

}  // namespace miyoutong
