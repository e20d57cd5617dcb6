// Splitting a Windows command line into parameters the way the installer reads them:
// blanks and control characters separate, double quotes group and are dropped.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace saverkit {

// All parameters, the program name first.
std::vector<std::string> splitCommandLine(std::string_view commandLine);

}  // namespace saverkit
