#pragma once

#include <string>
#include <vector>

namespace miyoutong::cli {

// A GBK field as UTF-8 for a tab-separated line: backslash, tab, CR and LF written as \\, \t,
// \r and \n, since a field may hold any byte.
std::string TsvField(const std::string& gbk);

// A GBK field as UTF-8 for a CSV line: quoted when it holds a comma, quote, CR or LF.
std::string CsvField(const std::string& gbk);

// The fields joined by `separator`, then a line feed.
std::string JoinLine(const std::vector<std::string>& fields, char separator);

}  // namespace miyoutong::cli
