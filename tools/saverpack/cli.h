// saverpack's command line: the five commands, their options, their help, and the mapping of
// every failure to a documented exit code. main() only gathers the arguments.
#pragma once

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

namespace saverpack {

// Runs one command line (without the program name) and returns the process exit code.
// `programFolder` is where saverpack itself lives; the default stub is looked for there.
int runSaverpack(const std::vector<std::string>& args, const std::filesystem::path& programFolder,
                 std::ostream& out, std::ostream& err);

// The folder holding the running program, found from argv[0] (empty when unknown).
std::filesystem::path programFolderOf(const char* argv0);

}  // namespace saverpack
