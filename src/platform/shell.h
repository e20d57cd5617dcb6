// Asking the Windows shell to open a document with its associated program.
#pragma once

#include <string>

#include "platform/platform_types.h"

namespace saverkit {

class Shell {
 public:
  virtual ~Shell() = default;
  // The default verb, no parameters, no working folder, shown normally. Failures are silent.
  virtual void openDocument(WindowHandle owner, const std::string& path) = 0;
  // Starts a program hidden, without waiting: the system's result (above 32 for success, 0 for
  // no resources, 1 to 32 for a failure code).
  virtual int startHidden(WindowHandle owner, const std::string& path,
                          const std::string& parameters) = 0;
};

}  // namespace saverkit
