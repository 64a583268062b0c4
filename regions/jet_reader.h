#pragma once

// Reads every user table of a Jet 4 file with libmdb.

#include <optional>
#include <span>
#include <vector>

#include "regions/jet_table.h"

namespace miyoutong {

class JetReader {
public:
    JetReader() = default;
    ~JetReader();
    JetReader(const JetReader&) = delete;
    JetReader& operator=(const JetReader&) = delete;

    // Hands a whole file held in memory to libmdb, which reads its header page only. The file must
    // have passed ReadJetHeader and must outlive the reader.
    bool Open(std::span<const unsigned char> file);

    // Checks the pages that libmdb is about to follow, then reads the user tables with all their
    // columns and rows. Nothing when the file's structure is damaged. libmdb may still crash or
    // loop on a hostile file that passes the checks, so this runs in a child process in the
    // program (ReadJetTablesIsolated).
    std::optional<std::vector<JetTable>> ReadTables();

private:
    struct Handle;  // libmdb's handle; its type is an unnamed struct that cannot be declared here

    Handle* handle_ = nullptr;
    std::span<const unsigned char> file_;
};

}  // namespace miyoutong
