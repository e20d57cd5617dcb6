// The startup sequence: everything that happens while the installer window is created, before
// the user acts, and its four endings (failure message, quiet install, movie fallback, or the
// window waiting for the user).
#pragma once

#include <string>
#include <vector>

#include "flash/player_detection.h"
#include "flash/player_policy.h"
#include "installer/installer_context.h"

namespace saverkit {

class InstallerForm;

// How many parameters are "/q" in any letter case (and nothing more).
int countQuietSwitches(const std::vector<std::string>& parameters);

// Runs the sequence. Raised errors (SaverkitError) leave it at the point where they are raised;
// the window creation catches them.
void runStartupSequence(InstallerContext& context, InstallerForm& form);

}  // namespace saverkit
