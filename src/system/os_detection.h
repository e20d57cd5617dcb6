// Which Windows the installer runs on. The classification is a pure function of the version
// record and the WOW64 answer, so every row is tested natively; the platform only reads them.
#pragma once

#include <cstdint>
#include <optional>

#include "platform/system_info.h"

namespace saverkit {

// Operating-system codes.
namespace os {
inline constexpr std::int32_t kUnknown = -1;
inline constexpr std::int32_t kWindows95 = 0;
inline constexpr std::int32_t kWindows98 = 1;
inline constexpr std::int32_t kWindows98SecondEdition = 2;
inline constexpr std::int32_t kWindowsMe = 3;
inline constexpr std::int32_t kWindowsNt = 4;
inline constexpr std::int32_t kWindows2000 = 5;
inline constexpr std::int32_t kWindowsXp = 6;
inline constexpr std::int32_t kWow64 = 7;
}  // namespace os

std::int32_t classifyOperatingSystem(const std::optional<VersionRecord>& version, bool underWow64);

// True when the process runs under WOW64; false when Windows has no such query. Throws
// SaverkitError("Bad process handle") when the query itself fails.
bool runningUnderWow64(SystemInfo& system);

// The operating-system code of this machine (7 for any 64-bit Windows).
std::int32_t GetOperatingSystem(SystemInfo& system);

struct WindowsFamilyFlags {
  std::int32_t windows95 = 0;
  std::int32_t windows98 = 0;
  std::int32_t windowsMe = 0;
  std::int32_t windowsNt = 0;
  std::int32_t windows2000 = 0;
  std::int32_t windowsXp = 0;

  bool ninetyFiveFamily() const { return windows95 || windows98 || windowsMe; }
};

WindowsFamilyFlags classifyWindowsFamily(const std::optional<VersionRecord>& version);
WindowsFamilyFlags getWindowsFamilyFlags(SystemInfo& system);

}  // namespace saverkit
