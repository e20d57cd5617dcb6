// The installer state: what the startup sequence fills in and every later step reads. Held in
// the installer context, never in globals; "module-level" in the behaviour means one per run.
#pragma once

#include <cstdint>

#include "platform/platform_types.h"

namespace saverkit {

// installMode values.
inline constexpr std::uint8_t kModeBitmap = 1;
inline constexpr std::uint8_t kModeMovie = 2;
inline constexpr std::uint8_t kModeMovieAlternative = 3;
inline constexpr std::uint8_t kModeQuiet = 4;
inline constexpr std::uint8_t kModeJpeg = 8;

struct InstallerState {
  // Kept by the installer window.
  std::uint8_t installMode = 0;
  bool hasLicense = false;
  bool hasReadMe = false;
  std::int32_t carriedPlayerMajor = 0;
  std::int32_t carriedPlayerRelease = 0;
  bool playerUpdateNeeded = false;
  // One per run.
  bool installing = false;
  bool cancelRequested = false;
  WindowHandle launcherWindow = kNoWindow;
  std::int32_t osKind = 0;

  bool quiet() const { return installMode == kModeQuiet; }
};

}  // namespace saverkit
