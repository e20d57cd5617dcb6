// The program's start: the preparing window, the installer window (whose creation runs the
// startup sequence) and the message loop.
#pragma once

#include "installer/installer_context.h"
#include "installer/installer_form.h"

namespace saverkit {

// Runs the program until the application terminates; returns the process exit code.
int runProgram(InstallerContext& context, InstallerForm& form);

}  // namespace saverkit
