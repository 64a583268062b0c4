#pragma once

// Reads the tables of a Jet 4 file with libmdb in a child process, so that a hostile file that
// crashes or stalls libmdb costs a failed read instead of the program.

#include <chrono>
#include <optional>
#include <span>
#include <vector>

#include "regions/jet_table.h"

namespace miyoutong {

// Time the child gets before it is killed; the shipped database takes a few milliseconds.
inline constexpr std::chrono::milliseconds kJetReadDeadline{3000};

// `file` must have passed ReadJetHeader. Nothing when the file is damaged, or the child dies, runs
// out of its memory allowance or does not finish within kJetReadDeadline.
std::optional<std::vector<JetTable>> ReadJetTablesIsolated(std::span<const unsigned char> file);

}  // namespace miyoutong
