// The player policy; see the header.
#include "flash/player_policy.h"

#include "common/saverkit_error.h"

namespace saverkit {

Status decidePlayerUpdate(const PlayerVersion& installed, bool carriesInstaller,
                          std::int32_t carriedMajor, std::int32_t carriedRelease,
                          bool& updateNeeded) {
  updateNeeded = false;
  if (installed.found) {
    updateNeeded = carriedMajor > installed.major ||
                   (carriedMajor == installed.major && installed.release != 0 &&
                    carriedRelease > installed.release);
    return status::kSuccess;
  }
  if (!carriesInstaller) return status::kNoPlayer;
  updateNeeded = true;
  return status::kSuccess;
}

void carriedPlayerVersion(std::uint8_t index, std::int32_t& major, std::int32_t& release) {
  static constexpr std::int32_t kMajors[] = {10, 9};
  static constexpr std::int32_t kReleases[] = {12, 124};
  if (index > 1) throw SaverkitError("Range check error");
  major = kMajors[index];
  release = kReleases[index];
}

}  // namespace saverkit
