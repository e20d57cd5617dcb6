// Unpacking: each slot's file, expanded, into one folder, and on request the data file's
// items below it. Names come from a file anybody can build, so nothing is written unless its
// name is a safe bare name or relative path, and nothing is written through a link or
// outside the folder.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "file_io.h"
#include "findings.h"

namespace saverpack {

struct ExtractResult {
  std::vector<std::string> written;  // paths relative to the folder, "/"-separated
  Findings findings;                 // what was not written, and why
};

// An installer: slot files under their carried names; with `items`, the data file's items
// under "items/". Damaged or unsafe slots are skipped and reported; the rest is written.
ExtractResult extractPackage(const Bytes& file, const std::filesystem::path& folder, bool items);

// A standalone data file: its items under their paths.
ExtractResult extractDataFile(const Bytes& file, const std::filesystem::path& folder);

}  // namespace saverpack
