// The startup sequence: everything that happens while the installer window is created, before
// the user acts, and its four endings (failure message, quiet install, movie fallback, or the
// window waiting for the user).
#pragma once

#include <string>
#include <vector>

#include "flash/player_detection.h"
#include "installer/installer_context.h"

namespace saverkit {

class InstallerForm;

// The player decision: whether the carried player installer must run first, or -402 when no
// player is installed and none is carried.
Status decidePlayerUpdate(const PlayerVersion& installed, bool carriesInstaller,
                          std::int32_t carriedMajor, std::int32_t carriedRelease,
                          bool& updateNeeded);

// True when some parameter is "/q" in any letter case (and nothing more).
bool hasQuietSwitch(const std::vector<std::string>& parameters);

// The carried player's version by the header's index: (10, 12) or (9, 124). Throws
// SaverkitError("Range check error") for any other index.
void carriedPlayerVersion(std::uint8_t index, std::int32_t& major, std::int32_t& release);

// Runs the sequence. Raised errors (SaverkitError) leave it at the point where they are raised;
// the window creation catches them.
void runStartupSequence(InstallerContext& context, InstallerForm& form);

}  // namespace saverkit
