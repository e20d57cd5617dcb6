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

enum class UninstallStep {
  kSayNothingInstalled,
  kAskThenHandOver,   // ask, clear this user's setting, start the elevated copy and wait for it
  kAskAndRemove,      // elevated from the start: ask, clear the setting, remove, report
  kRemoveHandedOver,  // the elevated copy: remove without a word, the outcome as the exit code
};

// Nothing installed: say so (no rights needed for that). Not elevated: the user's part (the
// question and the user's own active-saver setting, which lives in that user's hive) happens
// here, the rest in one elevated copy. That copy removes what it can even when it is still not
// elevated (no split token to raise, as with User Account Control off), so there is never a
// chain of copies; and it never touches an active-saver setting, which in its hive may be an
// administrator's who elevated it for someone else.
UninstallStep decideUninstall(bool installed, bool elevated, bool relaunched);

struct UninstallOutcome {
  std::vector<std::string> leftOver;        // what stays: files, folders, registry entries
  std::vector<std::string> removedAtRestart;  // files Windows will delete when it restarts
};

// Schedules a file that cannot go now (the running engine) for deletion at the next restart.
using DeleteAtRestart = std::function<bool(const std::string& path)>;

// Removes the product folder, the engine files and the uninstall entry under HKLM and under
// HKCU. The user's settings and the active-saver setting stay: see clearActiveSaver.
UninstallOutcome removeSaver(FileSystem& files, Registry& registry, const UninstallPlan& plan,
                             const DeleteAtRestart& deleteAtRestart);

// What clearing the user's active-saver setting did. Only SCRNSAVE.EXE is touched: whether the
// user wants the logon screen on resume (ScreenSaverIsSecure) stays as the user chose it.
struct ActiveSaverChange {
  bool cleared = false;  // it named this saver and is gone
  bool failed = false;   // it named this saver and could not be removed
  std::string previous;  // its value before, for putting it back
};

// Clears the current user's active-saver setting where it names this saver. Done before the
// engine files go: its short form can only be matched while they exist.
ActiveSaverChange clearActiveSaver(Registry& registry, SystemInfo& system, const UninstallPlan& plan);

// Puts a cleared setting back, when the removal it was cleared for did not happen at all.
void restoreActiveSaver(Registry& registry, const ActiveSaverChange& change);

// After a removal that left parts: whether an engine file the setting could name is still
// there, so that the setting is put back rather than left at none for a saver that stays.
bool engineStays(FileSystem& files, const UninstallPlan& plan);

// How the elevated copy reports to the user's part: through its exit code.
enum class RemovalResult { kRemoved, kRemovedAtRestart, kPartsStay };
int exitCodeFor(const UninstallOutcome& outcome);
RemovalResult resultOfExitCode(unsigned long code);

// Whether an active-saver setting names one of the plan's engine files: by file name, or as the
// short (8.3) form of one of them.
bool namesThisSaver(SystemInfo& system, const UninstallPlan& plan, const std::string& setting);

}  // namespace saverkit::slideshow
