// Removing an installed saver (/u): what belongs to it, whether anything of it is still there,
// what the engine does next (say so, start itself with raised rights, or ask and remove), and
// the removal itself. The product folder goes by the installer's own tree removal, so links
// inside it, or a product folder that is itself a link, are removed as links and never entered.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/registry.h"
#include "platform/system_info.h"
#include "saver_places.h"

namespace saverkit::slideshow {

inline constexpr const char* kDesktopKey = "Control Panel\\Desktop";
inline constexpr const char* kActiveSaverValue = "SCRNSAVE.EXE";

struct UninstallPlan {
  std::string saverName;
  std::string productFolder;             // empty when there is none to remove
  std::vector<std::string> engineFiles;  // the system folder's copy, then the native one
  std::string uninstallKey;              // the same path under HKLM and HKCU; empty: none
};

UninstallPlan makeUninstallPlan(const SaverPlaces& places);

// True when any part of the saver is still there: the product folder (or a link in its place),
// an engine file other than the running one, or an uninstall entry under either root.
bool somethingInstalled(FileSystem& files, Registry& registry, const UninstallPlan& plan,
                        const std::string& runningModule);

enum class UninstallStep { kSayNothingInstalled, kRelaunchElevated, kConfirmAndRemove };

// Nothing installed: say so (no rights needed for that). Not elevated: start again elevated,
// once; a copy that was started that way and still is not elevated (no split token to raise,
// as with User Account Control off) goes on and removes what it can instead of starting yet
// another copy. Elevated: ask, then remove.
UninstallStep decideUninstall(bool installed, bool elevated, bool relaunched);

struct UninstallOutcome {
  std::vector<std::string> leftOver;        // what stays: files, folders, registry entries
  std::vector<std::string> removedAtRestart;  // files Windows will delete when it restarts
};

// Schedules a file that cannot go now (the running engine) for deletion at the next restart.
using DeleteAtRestart = std::function<bool(const std::string& path)>;

// Removes the product folder, the engine files, the uninstall entry under HKLM and under HKCU,
// and the user's active-saver setting where it names this saver. The user's settings stay.
UninstallOutcome removeSaver(FileSystem& files, Registry& registry, SystemInfo& system,
                             const UninstallPlan& plan, const DeleteAtRestart& deleteAtRestart);

// Whether an active-saver setting names one of the plan's engine files: by file name, or as the
// short (8.3) form of one of them.
bool namesThisSaver(SystemInfo& system, const UninstallPlan& plan, const std::string& setting);

}  // namespace saverkit::slideshow
