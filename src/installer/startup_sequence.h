// The startup sequence: everything that happens while the installer window is created, before
// the user acts, and its four endings.
#pragma once

#include "installer/installer_context.h"

namespace saverkit {

class InstallerForm;

// Runs the sequence. Raised errors (SaverkitError) leave it at the point where they are raised;
// the window creation catches them.
void runStartupSequence(InstallerContext& context, InstallerForm& form);

}  // namespace saverkit
