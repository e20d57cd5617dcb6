// How inspect shows a package or data file: a readable summary for people, or JSON for
// scripts. Both show the same facts, including the problems verify would report.
#pragma once

#include <ostream>
#include <string>

#include "data_file_reader.h"
#include "package_reader.h"

namespace saverpack {

void printPackage(const PackageReport& report, const std::string& fileName, std::ostream& out);
void printDataFile(const DataFileReport& report, const std::string& fileName, std::ostream& out);
void printPackageJson(const PackageReport& report, const std::string& fileName, std::ostream& out);
void printDataFileJson(const DataFileReport& report, const std::string& fileName, std::ostream& out);

// One line per finding: "error: where: message" or "warning: ...", for reports on stdout.
void printFindings(const Findings& findings, std::ostream& out);

// The same as diagnostics on stderr: "saverpack: error: where: message".
void printDiagnostics(const Findings& findings, std::ostream& err);

}  // namespace saverpack
