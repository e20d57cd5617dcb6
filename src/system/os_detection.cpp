// Operating-system detection; see the header.
#include "system/os_detection.h"

#include "common/saverkit_error.h"
#include "common/trace.h"

namespace saverkit {
namespace {

constexpr std::uint32_t kPlatform9x = 1;
constexpr std::uint32_t kPlatformNt = 2;

bool isVersion(const VersionRecord& record, std::uint32_t major, std::uint32_t minor) {
  return record.majorVersion == major && record.minorVersion == minor;
}

}  // namespace

std::int32_t classifyOperatingSystem(const std::optional<VersionRecord>& version, bool underWow64) {
  if (underWow64) return os::kWow64;
  if (!version) return os::kUnknown;
  const VersionRecord& record = *version;
  if (record.platformId == kPlatform9x) {
    if (isVersion(record, 4, 0)) return os::kWindows95;
    if (isVersion(record, 4, 10)) {
      const bool secondEdition = record.servicePack.size() >= 2 && record.servicePack[1] == 'A';
      return secondEdition ? os::kWindows98SecondEdition : os::kWindows98;
    }
    if (isVersion(record, 4, 90)) return os::kWindowsMe;
    return os::kUnknown;
  }
  if (record.platformId == kPlatformNt) {
    if (record.majorVersion <= 4) return os::kWindowsNt;
    if (isVersion(record, 5, 0)) return os::kWindows2000;
    if (isVersion(record, 5, 1)) return os::kWindowsXp;
  }
  return os::kUnknown;
}

bool runningUnderWow64(SystemInfo& system) {
  switch (system.queryWow64()) {
    case Wow64Answer::kNoSuchFunction:
    case Wow64Answer::kNo:
      return false;
    case Wow64Answer::kYes:
      return true;
    case Wow64Answer::kCallFailed:
      break;
  }
  throw SaverkitError("Bad process handle");
}

std::int32_t GetOperatingSystem(SystemInfo& system) {
  trace::enter("GetOperatingSystem");
  // WOW64 is tested first: it decides before any version is read.
  const bool underWow64 = runningUnderWow64(system);
  const std::int32_t code =
      classifyOperatingSystem(underWow64 ? std::nullopt : system.readVersion(), underWow64);
  trace::leave("GetOperatingSystem", code);
  return code;
}

WindowsFamilyFlags classifyWindowsFamily(const std::optional<VersionRecord>& version) {
  WindowsFamilyFlags flags;
  if (!version) return flags;
  const VersionRecord& record = *version;
  if (record.platformId == kPlatform9x) {
    flags.windows95 = isVersion(record, 4, 0);
    flags.windows98 = isVersion(record, 4, 10);
    flags.windowsMe = isVersion(record, 4, 90);
  } else if (record.platformId == kPlatformNt) {
    flags.windowsNt = record.majorVersion <= 4;
    flags.windows2000 = isVersion(record, 5, 0);
    flags.windowsXp = isVersion(record, 5, 1);
  }
  return flags;
}

WindowsFamilyFlags getWindowsFamilyFlags(SystemInfo& system) {
  return classifyWindowsFamily(system.readVersion());
}

}  // namespace saverkit
