// Option parsing; see the header.
#include "command_line.h"

#include <algorithm>

#include "tool_error.h"

namespace saverpack {

std::optional<std::string> ParsedArgs::value(const std::string& name) const {
  const auto it = values_.find(name);
  if (it == values_.end()) return std::nullopt;
  return it->second;
}

std::vector<std::string> ParsedArgs::values(const std::string& name) const {
  std::vector<std::string> out;
  const auto range = values_.equal_range(name);
  for (auto it = range.first; it != range.second; ++it) out.push_back(it->second);
  return out;
}

ParsedArgs parseArgs(const std::vector<std::string>& args, const std::vector<OptionSpec>& knownOptions,
                     const std::vector<std::string>& repeatable) {
  ParsedArgs parsed;
  bool optionsEnded = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
      parsed.positional.push_back(arg);
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
      continue;
    }
    const std::size_t equals = arg.find('=');
    const std::string name = arg.substr(0, equals);
    const auto option = std::find_if(knownOptions.begin(), knownOptions.end(), [&](const OptionSpec& s) {
      return name == s.name || (s.alias != nullptr && name == s.alias);
    });
    if (option == knownOptions.end()) throw usageError("unknown option " + name);
    std::string value;
    if (option->takesValue) {
      if (equals != std::string::npos) {
        value = arg.substr(equals + 1);
      } else if (i + 1 < args.size()) {
        value = args[++i];
      } else {
        throw usageError(std::string(option->name) + " needs a value");
      }
    } else if (equals != std::string::npos) {
      throw usageError(std::string(option->name) + " takes no value");
    }
    const bool once = std::find(repeatable.begin(), repeatable.end(), option->name) == repeatable.end();
    if (once && parsed.has(option->name)) throw usageError(std::string(option->name) + " given twice");
    parsed.add(option->name, value);
  }
  return parsed;
}

}  // namespace saverpack
