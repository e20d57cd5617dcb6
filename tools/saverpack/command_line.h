// A small option parser for saverpack's commands: positional arguments, "--name value",
// "--name=value", "-o value", flags, repeatable options and "--" to end options.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace saverpack {

struct OptionSpec {
  const char* name;     // "--output"
  const char* alias;    // "-o" or nullptr
  bool takesValue;
};

class ParsedArgs {
 public:
  std::vector<std::string> positional;

  bool has(const std::string& name) const { return values_.count(name) > 0; }
  std::optional<std::string> value(const std::string& name) const;
  std::vector<std::string> values(const std::string& name) const;
  void add(const std::string& name, std::string value) { values_.emplace(name, std::move(value)); }

 private:
  std::multimap<std::string, std::string> values_;
};

// Throws ToolError(kUsage) for an unknown option, a missing value, or a single-valued option
// given twice.
ParsedArgs parseArgs(const std::vector<std::string>& args, const std::vector<OptionSpec>& requests,
                     const std::vector<std::string>& repeatable);

}  // namespace saverpack
