// The shell through Win32: documents opened as the signed-in user, programs started by their
// full path. Neither ever reads the user's file associations inside an elevated process.
#pragma once

#include "platform/shell.h"

namespace saverkit::win32 {

class Win32Shell : public Shell {
 public:
  void openDocument(WindowHandle owner, const std::string& path) override;
  int startHidden(const std::string& path, const std::string& parameters, const std::string& folder) override;
  bool startAsSignedInUser(const std::string& path, const std::string& parameters, bool shown) override;
};

// Whether this process runs with a full administrator token that the signed-in user's other
// programs do not share. False where the system has no such split (before Windows Vista).
bool runningElevated();

// Asks the desktop shell (the signed-in user's Explorer) to open the document, or to start the
// program with those parameters: it runs as the user, with the user's associations. False when
// there is no desktop shell to ask.
bool openThroughDesktopShell(const std::string& path, const std::string& parameters = {}, bool shown = true);

}  // namespace saverkit::win32
