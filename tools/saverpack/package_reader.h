// Reading an installer file that came from anywhere: the header is decoded and held to the
// package rules, each slot's bytes are bounds-checked and expanded, and the data file in slot
// 8 is read in turn. inspect, verify and extract all work from this report.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "data_file_reader.h"
#include "file_io.h"
#include "findings.h"
#include "package/package_binding.h"
#include "package/package_extension.h"
#include "package/package_format.h"

namespace saverpack {

struct SlotReport {
  std::size_t slot = 0;
  saverkit::PackageEntry entry;
  bool intact = false;  // bytes in bounds and, if imploded, expanding to expandedSize
  Bytes contents;       // the expanded bytes, kept only when asked for
};

struct PackageReport {
  bool readable = false;  // the file is long enough to hold a header
  std::int64_t fileSize = 0;
  saverkit::PackageHeader header;
  // What the extension record's block says; nothing without a record or with a block the
  // installer would pass over.
  std::optional<saverkit::PackageExtension> extension;
  std::vector<SlotReport> slots;  // the non-empty slots, in slot order
  std::optional<DataFileReport> data;
  // The stub's record of the package it was built with (see package/package_binding.h).
  saverkit::BindingCheck binding;
  Findings findings;
};

// "present, and the package matches it", and so on: one line for inspect and verify.
std::string bindingText(const saverkit::BindingCheck& binding);

struct PackageReadOptions {
  bool keepContents = false;      // slot bytes, for extraction
  bool keepItemContents = false;  // data file item bytes, for extraction
};

PackageReport readPackage(const Bytes& file, const PackageReadOptions& options);

// An installer starts with a Windows program header; anything else is taken for a standalone
// data file.
bool looksLikeInstaller(const Bytes& file);

}  // namespace saverpack
