// Registration and naming; see the header.
#include "system/registration.h"

#include "common/file_names.h"
#include "system/file_helpers.h"
#include "system/os_detection.h"

namespace saverkit {
namespace {

Status registerUnder(Registry& registry, RegistryRoot root, const std::string& keyPath,
                     const std::string& displayName, const std::string& command, const UninstallDetails* details) {
  auto key = registry.openKey(root, keyPath, KeyAccess::kCreate);
  if (!key) return status::kUninstallWriteFailed;
  if (!key->setString("DisplayName", displayName)) return status::kUninstallWriteFailed;
  if (!key->setString("UninstallString", command)) return status::kUninstallWriteFailed;
  if (!details) return status::kSuccess;
  // The entry works without its details: one that cannot be written is left out.
  if (!details->publisher.empty()) key->setUtf8String("Publisher", details->publisher);
  if (!details->version.empty()) key->setUtf8String("DisplayVersion", details->version);
  if (!details->website.empty()) key->setUtf8String("URLInfoAbout", details->website);
  if (!details->icon.empty()) key->setString("DisplayIcon", details->icon);
  if (details->estimatedSizeKb > 0) key->setNumber("EstimatedSize", static_cast<std::uint32_t>(details->estimatedSizeKb));
  // The engine's /u is the only thing the entry can do.
  key->setNumber("NoModify", 1);
  key->setNumber("NoRepair", 1);
  return status::kSuccess;
}

Status unregisterUnder(Registry& registry, RegistryRoot root, const std::string& keyPath) {
  {
    auto key = registry.openKey(root, keyPath, KeyAccess::kWrite);
    if (!key) return status::kSuccess;
    if (!key->deleteValue("DisplayName") || !key->deleteValue("UninstallString")) {
      return status::kUninstallRemoveFailed;
    }
  }  // the key is closed before it is deleted
  return registry.deleteKeyTree(root, keyPath) ? status::kSuccess : status::kUninstallRemoveFailed;
}

}  // namespace

std::string makeDisplayName(const TextSource& texts, const std::string& saverName) {
  return makeDisplayName(saverName, texts.text(TextId::kScreenSaver));
}

std::string makeWindowTitle(const TextSource& texts, const std::string& saverName) {
  const std::string screenSaver = texts.text(TextId::kScreenSaver);
  const std::string install = texts.text(TextId::kInstall);
  if (namesAScreenSaver(saverName, screenSaver)) return install + ": " + saverName;
  return install + " " + screenSaver + ": " + saverName;
}

std::string makeUninstallCommand(SystemInfo& system, const std::string& systemFolder,
                                 const std::string& saverName) {
  std::string path = systemFolder + saverName + ".scr";
  if (getWindowsFamilyFlags(system).ninetyFiveFamily()) {
    if (const auto shortForm = system.shortPath(path)) path = *shortForm;
  }
  // Windows runs an unquoted path with a space as the part before the space ("C:\\Program.exe"
  // would do): a path with a space is quoted, the switch stays outside.
  if (path.find(' ') != std::string::npos) path = "\"" + path + "\"";
  return path + " /u";
}

Status registerUninstall(Registry& registry, SystemInfo& system, const TextSource& texts,
                         const std::string& systemFolder, const std::string& saverName,
                         const UninstallDetails* details) {
  // A name with a backslash would write under another key.
  if (!isSafeBareName(saverName)) return status::kUninstallWriteFailed;
  const std::string keyPath = kUninstallKeyPrefix + saverName;
  const std::string displayName = makeDisplayName(texts, saverName);
  const std::string command = makeUninstallCommand(system, systemFolder, saverName);
  const Status machine =
      registerUnder(registry, RegistryRoot::kLocalMachine, keyPath, displayName, command, details);
  if (machine != status::kUninstallWriteFailed) return machine;
  return registerUnder(registry, RegistryRoot::kCurrentUser, keyPath, displayName, command, details);
}

Status unregisterUninstall(Registry& registry, const std::string& saverName) {
  if (!isSafeBareName(saverName)) return status::kUninstallRemoveFailed;
  const std::string keyPath = kUninstallKeyPrefix + saverName;
  const Status machine = unregisterUnder(registry, RegistryRoot::kLocalMachine, keyPath);
  if (machine != status::kUninstallRemoveFailed) return machine;
  return unregisterUnder(registry, RegistryRoot::kCurrentUser, keyPath);
}

void rollbackInstall(FileSystem& files, Registry& registry, const Folders& folders,
                     const RollbackTargets& targets) {
  if (!targets.productFolder.empty()) deleteFolderTree(files, targets.productFolder);
  // The engine name comes from the package: only a bare name may lead to a deletion.
  if (isSafeBareName(targets.engineFileName, targets.codePage)) {
    if (!folders.systemFolder.empty()) {
      deleteFileOnce(files, folders.systemFolder + targets.engineFileName);
    }
    if (targets.alsoNativeSystemFolder && !folders.nativeSystemFolder.empty()) {
      deleteFileOnce(files, folders.nativeSystemFolder + targets.engineFileName);
    }
  }
  unregisterUninstall(registry, targets.saverName);
}

std::string makeActiveSaverCommand(const std::string& engineFileName) {
  return std::string("makeActiveSaver-") + engineFileName + '\0';
}

}  // namespace saverkit
