// What the running process knows about itself: its command-line parameters, its own file path
// and its environment.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace saverkit {

class ProcessEnvironment {
 public:
  virtual ~ProcessEnvironment() = default;
  // The parameters after the program name, split the way Windows programs split them.
  virtual std::vector<std::string> commandLineParameters() const = 0;
  // The running executable's full path as Windows reports it (its module file name).
  virtual std::string modulePath() const = 0;
  virtual std::optional<std::string> environmentVariable(const std::string& name) const = 0;
};

}  // namespace saverkit
