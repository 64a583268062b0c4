#pragma once

// The connection to the region database (数据库连接1): a password-protected Jet 4 file, read whole
// into an in-memory SQLite database when it is opened. The file is not kept open.

#include <string>

struct sqlite3;

namespace miyoutong {

class RegionDatabase {
public:
    RegionDatabase() = default;
    ~RegionDatabase();
    RegionDatabase(const RegionDatabase&) = delete;
    RegionDatabase& operator=(const RegionDatabase&) = delete;

    // Closes an open connection, then opens the Jet 4 file at `path` when the password stored in
    // it equals `password` (GBK). Every user table is loaded with all its columns and rows: Long
    // Integer and AutoNumber as INTEGER, Text as TEXT holding GBK bytes, Null as NULL. False,
    // without a message, on any failure: missing or unreadable file, not a Jet 4 database, another
    // password, a damaged file.
    bool Open(const std::string& path, const std::string& password);
    void Close();
    bool IsOpen() const { return db_ != nullptr; }

    // The SQLite database while open, otherwise null.
    sqlite3* Connection() const { return db_; }

private:
    sqlite3* db_ = nullptr;
};

}  // namespace miyoutong
