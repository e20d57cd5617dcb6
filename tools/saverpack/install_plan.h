// What an installer will write on the user's machine: every slot and data file item with its
// size, what it takes in the installer and the path it lands at, plus the registry entry.
// build --list and inspect --plan both print it from here, so the plan an author sees while
// building is the plan anyone sees later for the finished installer.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "data_file_builder.h"
#include "data_file_reader.h"
#include "package/package_format.h"

namespace saverpack {

struct PlanItem {
  std::string path;         // relative to the product folder; empty for a skipped entry
  bool movieCopy = false;   // a copy of the installer's movie (or of item 1), no bytes of its own
  std::int64_t size = 0;    // bytes written on the user's machine
  std::int64_t packed = 0;  // bytes the item takes in the data file
  bool imploded = false;
};

struct InstallPlan {
  saverkit::PackageHeader header;  // with offsets and sizes filled in
  std::vector<PlanItem> items;     // the data file's items, in order
};

std::vector<PlanItem> planItems(const std::vector<BuiltItem>& items);
std::vector<PlanItem> planItems(const DataFileReport& report);

// The folders as they are on current Windows, each ending with "\".
inline constexpr const char* kPlanSystemFolder = "C:\\Windows\\system32\\";
inline constexpr const char* kPlanSharedFolder = "C:\\ProgramData\\Vantrel\\";
inline constexpr const char* kPlanWorkingFolder = "C:\\Users\\<user>\\AppData\\Local\\Vantrel\\ZOR<n>\\";

// The full path a slot's file gets, or empty when the installer never writes it.
std::string planTarget(const saverkit::PackageHeader& header, std::size_t slot);

void printPlan(const InstallPlan& plan, std::ostream& out);

}  // namespace saverpack
