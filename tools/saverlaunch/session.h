// One run of an installer: the launcher's window, the installer process, and the messages
// between them until the installer ends.
#pragma once

#include "journal.h"
#include "options.h"

namespace saverlaunch {

// Starts the installer, carries out its commands while it runs, and returns the exit code the
// launcher should end with: the installer's own, or one of the launcher's codes.
int runInstaller(const Options& options, Journal& journal);

}  // namespace saverlaunch
