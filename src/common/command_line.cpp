// Command-line splitting; see the header.
#include "common/command_line.h"

namespace saverkit {

std::vector<std::string> splitCommandLine(std::string_view commandLine) {
  std::vector<std::string> parameters;
  std::size_t position = 0;
  const auto isSeparator = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
  while (true) {
    while (position < commandLine.size() && isSeparator(commandLine[position])) ++position;
    if (position >= commandLine.size()) break;
    std::string parameter;
    bool quoted = false;
    while (position < commandLine.size() && (quoted || !isSeparator(commandLine[position]))) {
      const char c = commandLine[position++];
      if (c == '"') {
        quoted = !quoted;
      } else {
        parameter += c;
      }
    }
    parameters.push_back(parameter);
  }
  return parameters;
}

}  // namespace saverkit
