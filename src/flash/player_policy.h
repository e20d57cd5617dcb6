// The player policy: which player a package carries, and whether it must be installed before the
// installer's presentation, given the player the machine has.
#pragma once

#include <cstdint>

#include "common/status.h"
#include "flash/player_detection.h"

namespace saverkit {

// Whether the carried player installer must run first, or -402 when no player is installed and
// none is carried. An installed release of 0 never asks for a minor update.
Status decidePlayerUpdate(const PlayerVersion& installed, bool carriesInstaller,
                          std::int32_t carriedMajor, std::int32_t carriedRelease,
                          bool& updateNeeded);

// The carried player's version by the header's index: (10, 12) or (9, 124). Throws
// SaverkitError("Range check error") for any other index.
void carriedPlayerVersion(std::uint8_t index, std::int32_t& major, std::int32_t& release);

}  // namespace saverkit
