// Removing a saver; see the header.
#include "uninstall.h"

#include "common/file_names.h"
#include "common/text_helpers.h"
#include "system/file_helpers.h"
#include "system/registration.h"

namespace saverkit::slideshow {
namespace {

constexpr RegistryRoot kUninstallRoots[] = {RegistryRoot::kLocalMachine, RegistryRoot::kCurrentUser};

std::string rootName(RegistryRoot root) {
  return root == RegistryRoot::kLocalMachine ? "HKEY_LOCAL_MACHINE\\" : "HKEY_CURRENT_USER\\";
}

bool sameText(const std::string& a, const std::string& b) { return toLowerAscii(a) == toLowerAscii(b); }

bool folderPresent(FileSystem& files, const std::string& folder) {
  return !folder.empty() && (files.folderExists(folder) || files.isLink(folder));
}

// Through a hold on the shared folder, reached without passing a link: the user's programs may
// have been able to put a junction in the shared folder's place (or at any folder above it), and
// this removal runs with administrator rights. The product folder itself goes as itself.
void removeProductFolder(FileSystem& files, const UninstallPlan& plan, UninstallOutcome& outcome) {
  if (!folderPresent(files, plan.productFolder)) return;
  std::string folder = plan.productFolder;
  while (!folder.empty() && folder.back() == '\\') folder.pop_back();
  const std::size_t split = folder.rfind('\\');
  Status error = 0;
  const auto shared = split == std::string::npos ? nullptr : files.holdFolderWithoutLinks(folder.substr(0, split), error);
  if (!shared || files.removeEntryIn(*shared, folder.substr(split + 1)) != status::kSuccess) {
    outcome.leftOver.push_back(plan.productFolder);
  }
}

void removeEngineFiles(FileSystem& files, const UninstallPlan& plan, const DeleteAtRestart& deleteAtRestart,
                       UninstallOutcome& outcome) {
  for (const std::string& engine : plan.engineFiles) {
    if (!files.fileExists(engine)) continue;
    if (deleteFileOnce(files, engine) == status::kSuccess) continue;
    // The running engine (or one another program holds) goes when Windows restarts.
    if (deleteAtRestart && deleteAtRestart(engine)) {
      outcome.removedAtRestart.push_back(engine);
    } else {
      outcome.leftOver.push_back(engine);
    }
  }
}

void removeUninstallEntries(Registry& registry, const UninstallPlan& plan, UninstallOutcome& outcome) {
  if (plan.uninstallKey.empty()) return;
  // Both roots, whatever happens under the first: the installer writes to HKCU when HKLM
  // refuses, and an older install may have left an entry under either.
  for (const RegistryRoot root : kUninstallRoots) {
    if (!registry.openKey(root, plan.uninstallKey, KeyAccess::kRead)) continue;
    if (!registry.deleteKeyTree(root, plan.uninstallKey)) outcome.leftOver.push_back(rootName(root) + plan.uninstallKey);
  }
}

constexpr int kExitRemoved = 0;
constexpr int kExitPartsStay = 1;
constexpr int kExitRemovedAtRestart = 3;

}  // namespace

UninstallPlan makeUninstallPlan(const SaverPlaces& places) {
  UninstallPlan plan;
  plan.saverName = places.saverName;
  // Only a name that stays one file name may lead to a deletion or a registry key.
  if (!isSafeBareName(places.saverName)) return plan;
  plan.productFolder = places.productFolder;
  const std::string engine = storedFileName(places.saverName) + ".scr";
  if (!places.systemFolder.empty()) plan.engineFiles.push_back(places.systemFolder + engine);
  if (!places.nativeSystemFolder.empty()) plan.engineFiles.push_back(places.nativeSystemFolder + engine);
  plan.uninstallKey = kUninstallKeyPrefix + places.saverName;
  return plan;
}

bool somethingInstalled(FileSystem& files, Registry& registry, const UninstallPlan& plan,
                        const std::string& runningModule) {
  if (folderPresent(files, plan.productFolder)) return true;
  for (const std::string& engine : plan.engineFiles) {
    if (!sameText(engine, runningModule) && files.fileExists(engine)) return true;
  }
  if (plan.uninstallKey.empty()) return false;
  for (const RegistryRoot root : kUninstallRoots) {
    if (registry.openKey(root, plan.uninstallKey, KeyAccess::kRead)) return true;
  }
  return false;
}

UninstallStep decideUninstall(bool installed, bool elevated, bool relaunched) {
  // The elevated copy was asked for by a user's part that found something: what is gone by now
  // (another removal in between) is simply not there to remove.
  if (relaunched) return UninstallStep::kRemoveHandedOver;
  if (!installed) return UninstallStep::kSayNothingInstalled;
  return elevated ? UninstallStep::kAskAndRemove : UninstallStep::kAskThenHandOver;
}

ActiveSaverChange clearActiveSaver(Registry& registry, SystemInfo& system, const UninstallPlan& plan) {
  ActiveSaverChange change;
  const auto reader = registry.openKey(RegistryRoot::kCurrentUser, kDesktopKey, KeyAccess::kRead);
  const auto setting = reader ? reader->readString(kActiveSaverValue) : std::nullopt;
  if (!setting || !namesThisSaver(system, plan, *setting)) return change;
  change.previous = *setting;
  // A key that will not open for writing is a setting that stays, and is said to.
  const auto desktop = registry.openKey(RegistryRoot::kCurrentUser, kDesktopKey, KeyAccess::kWrite);
  change.cleared = desktop && desktop->deleteValue(kActiveSaverValue);
  change.failed = !change.cleared;
  return change;
}

void restoreActiveSaver(Registry& registry, const ActiveSaverChange& change) {
  if (!change.cleared) return;
  auto desktop = registry.openKey(RegistryRoot::kCurrentUser, kDesktopKey, KeyAccess::kWrite);
  // Only into an empty place: a saver the user chose meanwhile stays chosen.
  if (desktop && !desktop->readString(kActiveSaverValue)) desktop->setString(kActiveSaverValue, change.previous);
}

bool engineStays(FileSystem& files, const UninstallPlan& plan) {
  for (const std::string& engine : plan.engineFiles) {
    if (files.fileExists(engine)) return true;
  }
  return false;
}

int exitCodeFor(const UninstallOutcome& outcome) {
  if (!outcome.leftOver.empty()) return kExitPartsStay;
  return outcome.removedAtRestart.empty() ? kExitRemoved : kExitRemovedAtRestart;
}

RemovalResult resultOfExitCode(unsigned long code) {
  if (code == kExitRemoved) return RemovalResult::kRemoved;
  if (code == kExitRemovedAtRestart) return RemovalResult::kRemovedAtRestart;
  // A crash or a killed copy says nothing about what went: assume the worst.
  return RemovalResult::kPartsStay;
}

bool namesThisSaver(SystemInfo& system, const UninstallPlan& plan, const std::string& setting) {
  if (plan.engineFiles.empty() || setting.empty()) return false;
  if (sameText(fileNameOf(setting), fileNameOf(plan.engineFiles.front()))) return true;
  for (const std::string& engine : plan.engineFiles) {
    const auto shortForm = system.shortPath(engine);
    if (shortForm && sameText(*shortForm, setting)) return true;
  }
  return false;
}

UninstallOutcome removeSaver(FileSystem& files, Registry& registry, const UninstallPlan& plan,
                             const DeleteAtRestart& deleteAtRestart) {
  UninstallOutcome outcome;
  removeProductFolder(files, plan, outcome);
  removeEngineFiles(files, plan, deleteAtRestart, outcome);
  removeUninstallEntries(registry, plan, outcome);
  return outcome;
}

}  // namespace saverkit::slideshow
