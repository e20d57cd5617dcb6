// The one exception type of the project. The installer raises errors (rather than returning a
// status) only where its behaviour says so: a bad "/l=" value, a bad player version index, a
// failing WOW64 query and the movie reader's errors. They are caught where the installer window
// is created and reported with the application's default error report.
#pragma once

#include <stdexcept>
#include <string>

namespace saverkit {

class SaverkitError : public std::runtime_error {
 public:
  explicit SaverkitError(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace saverkit
