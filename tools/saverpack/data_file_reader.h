// Reading a screen saver data file that came from anywhere: walked with the installer's own
// walker, so every directory entry and item record is held to the bounds an install holds it
// to; every path is checked against escaping the product folder, and imploded items are
// expanded to confirm their sizes. inspect, verify and extract all start here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "file_io.h"
#include "findings.h"
#include "package/data_file_format.h"

namespace saverpack {

struct ItemReport {
  std::int32_t number = 0;  // counted from 1, as the directory does
  saverkit::DirectoryRecord record;
  std::optional<saverkit::ItemHeader> header;  // absent for skipped and copied items
  bool intact = false;  // the item's bytes are in bounds and expand to its size
  Bytes contents;       // the expanded bytes, kept only when asked for
};

struct DataFileReport {
  bool readable = false;  // the record and directory could be read at all
  saverkit::SaverRecord record;
  std::vector<ItemReport> items;
  Findings findings;
};

struct DataFileReadOptions {
  bool keepContents = false;
  // Prefix for the places findings name: "items" standalone, "slots.8.items" in a package.
  std::string where = "items";
};

DataFileReport readDataFile(const std::uint8_t* data, std::size_t size,
                            const DataFileReadOptions& options);

}  // namespace saverpack
