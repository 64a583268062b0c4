#pragma once

// The header page of a Jet 4 (Access 2000-2003) file: the checks that tell a Jet 4 database from
// anything else, and the database password kept in it.

#include <cstddef>
#include <optional>
#include <span>
#include <string>

namespace miyoutong {

inline constexpr std::size_t kJetPageSize = 4096;
// Header, two system pages and the catalogue's table definition on page 2.
inline constexpr std::size_t kJetMinimumPages = 3;

struct JetHeader {
    double creationDate = 0;  // days since 1899-12-30
    std::u16string password;  // empty when the file has none
};

// Reads the header of a whole file held in memory. Nothing when the file is not a Jet 4 database:
// wrong page type, signature or version, a size that is not a whole number of pages or shorter
// than kJetMinimumPages, or a creation date that is not a finite number.
std::optional<JetHeader> ReadJetHeader(std::span<const unsigned char> file);

// True when the header's password equals `password` (GBK or ASCII) exactly, case included. An
// empty password matches a file without one.
bool JetPasswordMatches(const JetHeader& header, const std::string& password);

// ReadJetHeader and JetPasswordMatches together.
bool CheckJetHeader(std::span<const unsigned char> file, const std::string& password);

}  // namespace miyoutong
