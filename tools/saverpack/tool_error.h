// How saverpack fails: every command reports one of four exit codes, and errors carry the
// code they map to so the command dispatcher can print the message and return it.
#pragma once

#include <stdexcept>
#include <string>

namespace saverpack {

enum class ExitCode : int {
  kOk = 0,
  kInvalid = 1,  // the input is wrong: a bad manifest, a package that fails verification
  kUsage = 2,    // the command line is wrong
  kIo = 3,       // a file could not be read or written
};

class ToolError : public std::runtime_error {
 public:
  ToolError(ExitCode code, const std::string& message) : std::runtime_error(message), code_(code) {}
  ExitCode code() const { return code_; }

 private:
  ExitCode code_;
};

inline ToolError invalidInput(const std::string& message) {
  return ToolError(ExitCode::kInvalid, message);
}
inline ToolError usageError(const std::string& message) { return ToolError(ExitCode::kUsage, message); }
inline ToolError ioError(const std::string& message) { return ToolError(ExitCode::kIo, message); }

}  // namespace saverpack
