#pragma once

#include <string>

#include "common/bytes.h"

namespace miyoutong {

// Writes the bytes to a temporary file in the target's folder and renames it over the target,
// so the target is either the old file or the complete new one, never a part. Creates the
// folder when it is missing. False when anything fails; the target is then left as it was.
bool SaveFileAtomically(const std::string& path, const Bytes& bytes);

// The whole file, or empty bytes when it cannot be read.
Bytes ReadWholeFile(const std::string& path);

}  // namespace miyoutong
