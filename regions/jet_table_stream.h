#pragma once

// The tables read from a Jet file as one byte stream, for passing them from the process that
// reads the file to the one that uses them. Decoding trusts nothing in the stream.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "regions/jet_table.h"

namespace miyoutong {

std::string EncodeJetTables(const std::vector<JetTable>& tables);

// Nothing when the stream is cut short, has bytes left over, or breaks a limit of jet_table.h.
std::optional<std::vector<JetTable>> DecodeJetTables(std::string_view stream);

}  // namespace miyoutong
