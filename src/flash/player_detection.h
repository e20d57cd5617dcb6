// The installed Flash Player: its version from the registered control file or, failing that,
// from a temporary control; whether the carried player installer may run here; and running that
// installer and waiting for the new player.
#pragma once

#include <cstdint>
#include <string>

#include "common/status.h"
#include "flash/flash_services.h"

namespace saverkit {

// The control's class registration for the whole machine, under HKEY_LOCAL_MACHINE. The merged
// view (HKEY_CLASSES_ROOT) lets the user's own key override it: the installer runs with
// administrator rights and must not take the path of the file it judges from the user.
inline constexpr const char* kPlayerClassKey =
    "Software\\Classes\\CLSID\\{D27CDB6E-AE6D-11cf-96B8-444553540000}\\InprocServer32";
inline constexpr std::uint32_t kPlayerPollMilliseconds = 500;

struct PlayerVersion {
  bool found = false;
  std::int32_t major = 0;
  std::int32_t release = 0;
};

// The control file's path from its class registration: 0, or -402 when there is none.
Status readFlashOcxPath(Registry& registry, std::string& path);

// The file a control may be made from: the machine's registration, when it names a full path on
// a drive ("C:\\..."); empty otherwise. A bare or relative name would be looked for beside the
// installer, where anyone may have put a file of that name.
std::string playerControlFile(Registry& registry);

// "WIN 10,0,45,2" → 10 and 45. Throws SaverkitError for fewer than four items or an item that
// is not a decimal integer.
void parseFlashVersionString(const std::string& text, std::int32_t& major, std::int32_t& release);

void getFlashPlayerVersionInfoFromFileProperties(FlashServices& services, PlayerVersion& version);
Status getFlashPlayerVersionFromControl(FlashServices& services, PlayerVersion& version,
                                        int attempts);
PlayerVersion getInstalledFlashPlayerVersion(FlashServices& services, int attempts);

// -455 on Windows NT 4 and earlier for a carried player of major version 8 or more.
Status verifyFlashAXInstallerCanRunOnThisMachine(SystemInfo& system, std::int32_t carriedMajor);

// Starts the extracted player installer at `path` (where its slot was written) silently: the
// two installers Adobe shipped take "/s", any other "/Q". -401 when the file is not there.
Status runFlashPlayerInstaller(FlashServices& services, const std::string& path);
Status waitForFlashPlayerVersion(FlashServices& services, PlayerVersion& version,
                                 std::int32_t expectedMajor, std::int32_t expectedRelease,
                                 int passes);
// Runs the carried installer and waits for the player it carries, (expectedMajor, expectedRelease).
Status handleFlashActiveXControlUpdate(FlashServices& services, const std::string& path,
                                       std::int32_t expectedMajor, std::int32_t expectedRelease);

}  // namespace saverkit
