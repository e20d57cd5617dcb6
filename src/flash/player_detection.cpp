// Flash Player detection and the carried player installer; see the header.
#include "flash/player_detection.h"

#include <vector>

#include "common/saverkit_error.h"
#include "common/text_helpers.h"
#include "package/package_format.h"
#include "platform/clock.h"
#include "platform/file_system.h"
#include "platform/player_control.h"
#include "platform/registry.h"
#include "platform/shell.h"
#include "system/file_helpers.h"
#include "system/os_detection.h"

namespace saverkit {
namespace {

std::vector<std::string> versionItems(const std::string& text) {
  std::vector<std::string> items;
  std::size_t position = 0;
  const auto isBreak = [](char c) { return c == ',' || static_cast<unsigned char>(c) <= ' '; };
  while (position < text.size()) {
    while (position < text.size() && isBreak(text[position])) ++position;
    if (position >= text.size()) break;
    std::string item;
    if (text[position] == '"') {
      const std::size_t close = text.find('"', position + 1);
      item = text.substr(position + 1, close == std::string::npos ? std::string::npos : close - position - 1);
      position = close == std::string::npos ? text.size() : close + 1;
    } else {
      while (position < text.size() && !isBreak(text[position])) item += text[position++];
    }
    items.push_back(item);
  }
  return items;
}

std::int32_t toInteger(const std::string& item) {
  const auto value = parseDecimalInt32(item);
  if (!value) throw SaverkitError("'" + item + "' is not a valid integer value");
  return *value;
}

}  // namespace

Status readFlashOcxPath(Registry& registry, std::string& path) {
  path.clear();
  if (auto key = registry.openKey(RegistryRoot::kLocalMachine, kPlayerClassKey, KeyAccess::kRead)) {
    path = key->readString("").value_or("");
  }
  return path.empty() ? status::kNoPlayer : status::kSuccess;
}

std::string playerControlFile(Registry& registry) {
  std::string path;
  if (readFlashOcxPath(registry, path) != status::kSuccess) return {};
  const char drive = static_cast<char>(path.empty() ? 0 : path[0] | 0x20);
  const bool onADrive = path.size() > 3 && drive >= 'a' && drive <= 'z' && path[1] == ':' && path[2] == '\\';
  return onADrive ? path : std::string();
}

void parseFlashVersionString(const std::string& text, std::int32_t& major, std::int32_t& release) {
  const std::vector<std::string> items = versionItems(text);
  if (items.size() < 4) throw SaverkitError("List index out of bounds (" + decimal(static_cast<std::int64_t>(items.size())) + ")");
  major = toInteger(items[1]);
  release = toInteger(items[3]);
}

void getFlashPlayerVersionInfoFromFileProperties(FlashServices& services, PlayerVersion& version) {
  version.major = 0;
  version.release = 0;
  std::string path;
  if (readFlashOcxPath(services.registry, path) != status::kSuccess) return;
  if (!services.files.fileExists(path)) return;
  version.found = true;
  myGetFileVersion(services.system, path, version.major, version.release);
}

Status getFlashPlayerVersionFromControl(FlashServices& services, PlayerVersion& version,
                                        int attempts) {
  version.found = true;
  if (services.versionCache.major != -1) {
    version.major = services.versionCache.major;
    version.release = services.versionCache.release;
    return status::kSuccess;
  }
  version = PlayerVersion{};
  Status result = status::kSuccess;
  for (int attempt = 0; attempt < attempts; ++attempt) {
    services.clock.sleepMilliseconds(kPlayerPollMilliseconds);
    // Read again on every attempt: a player installer may be registering it meanwhile.
    const std::string controlFile = playerControlFile(services.registry);
    const PlayerVersionAnswer answer =
        controlFile.empty() ? PlayerVersionAnswer{} : services.player.queryVersion(controlFile);
    if (answer.outcome == PlayerVersionAnswer::Outcome::kNotCreated) {
      result = status::kNoPlayer;
      continue;  // no control yet: the next attempt tries again
    }
    try {
      if (answer.outcome == PlayerVersionAnswer::Outcome::kQueryFailed) throw SaverkitError("query failed");
      parseFlashVersionString(answer.text, version.major, version.release);
      services.versionCache.major = version.major;
      services.versionCache.release = version.release;
      version.found = true;
      result = status::kSuccess;
    } catch (const SaverkitError&) {
      version = PlayerVersion{};
      result = status::kNoPlayer;
    }
    break;  // a control existed: its answer, good or bad, ends the loop
  }
  return result;
}

PlayerVersion getInstalledFlashPlayerVersion(FlashServices& services, int attempts) {
  PlayerVersion version;
  getFlashPlayerVersionInfoFromFileProperties(services, version);
  if (version.major <= 0) getFlashPlayerVersionFromControl(services, version, attempts);
  return version;
}

Status verifyFlashAXInstallerCanRunOnThisMachine(SystemInfo& system, std::int32_t carriedMajor) {
  const bool ntFour = GetOperatingSystem(system) == os::kWindowsNt;
  return ntFour && carriedMajor >= 8 ? status::kPlayerInstallerIncompatible : status::kSuccess;
}

Status runFlashPlayerInstaller(FlashServices& services, const std::string& path) {
  const std::string fileName = fileNameOf(path);
  const bool known = fileName == kPlayerInstallerName9 || fileName == kPlayerInstallerName10;
  const std::string switches = known ? "/s" : "/Q";
  if (!services.files.fileExists(path)) return status::kPlayerInstallerMissing;
  // It starts in its own folder, the working folder, not in ours (the download folder).
  const int started = services.shell.startHidden(path, switches, folderOf(path));
  services.host.bringApplicationToFront();
  if (started > 32) return status::kSuccess;
  return started == 0 ? status::kNoMemory : started;
}

Status waitForFlashPlayerVersion(FlashServices& services, PlayerVersion& version,
                                 std::int32_t expectedMajor, std::int32_t expectedRelease,
                                 int passes) {
  Status result = status::kSuccess;
  for (int pass = 1; pass <= passes; ++pass) {
    result = getFlashPlayerVersionFromControl(services, version, passes);
    if (version.major == expectedMajor && version.release == expectedRelease) break;
  }
  return result;
}

Status handleFlashActiveXControlUpdate(FlashServices& services, const std::string& path,
                                       std::int32_t expectedMajor, std::int32_t expectedRelease) {
  Status result = runFlashPlayerInstaller(services, path);
  if (result == status::kSuccess) {
    PlayerVersion version;
    result = waitForFlashPlayerVersion(services, version, expectedMajor, expectedRelease, 20);
  }
  return result;
}

}  // namespace saverkit
