// Opening documents and starting programs. The installer runs with administrator rights, and the
// user's file associations (HKCU\Software\Classes) are the user's other programs' to change: no
// association of theirs may decide what runs with those rights.
#pragma once

#include <string>

#include "platform/platform_types.h"

namespace saverkit {

class Shell {
 public:
  virtual ~Shell() = default;
  // Opens a document with its default verb, shown normally, as the signed-in user: an elevated
  // installer asks the desktop shell to open it, and leaves it unopened when there is no desktop
  // shell to ask. Failures are silent.
  virtual void openDocument(WindowHandle owner, const std::string& path) = 0;
  // Starts the program at that full path hidden, in `folder` as its current folder and its
  // temporary folder (TEMP, TMP), without waiting and without looking at any file association.
  // The result keeps the shell's convention, so that a failure keeps the code it had when the
  // shell started the program: above 32 for success, 0 for no resources, 1 to 32 for a failure
  // code.
  virtual int startHidden(const std::string& path, const std::string& parameters, const std::string& folder) = 0;
  // Starts the program at that full path as the signed-in user, shown normally or hidden: an
  // elevated installer asks the desktop shell to start it, and starts nothing when there is no
  // desktop shell to ask. False when it could not be started.
  virtual bool startAsSignedInUser(const std::string& path, const std::string& parameters, bool shown) = 0;
};

}  // namespace saverkit
