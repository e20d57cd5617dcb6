// The one exception type of the project. The installer raises errors (rather than returning a
// status) only where its behaviour says so: a bad "/l=" value, a bad player version index, a
// failing WOW64 query and the movie reader's errors. They are caught where the installer window
// is created and reported with the application's default error report.
#pragma once

#include <exception>
#include <string>
#include <utility>

namespace saverkit {

// Its own message rather than std::runtime_error's: that class keeps the library's old
// reference-counted string, whose code costs the programs 40 KB they have no room for.
class SaverkitError : public std::exception {
 public:
  explicit SaverkitError(std::string message) : message_(std::move(message)) {}
  const char* what() const noexcept override { return message_.c_str(); }

 private:
  std::string message_;
};

}  // namespace saverkit
