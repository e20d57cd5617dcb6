// The screen saver's place in Windows outside the system folder: the uninstall entry, the
// rollback of a failed install, the make-active request, and the two names derived from the
// saver name (display name and window title).
#pragma once

#include <cstdint>
#include <string>

#include "common/status.h"
#include "package/saver_naming.h"
#include "platform/file_system.h"
#include "platform/registry.h"
#include "platform/system_info.h"
#include "platform/text_source.h"
#include "system/folders.h"

namespace saverkit {

// The naming rules themselves (the key prefix, namesAScreenSaver) live in package/saver_naming.h,
// shared with saverpack; these take the words from the string table in use.
std::string makeDisplayName(const TextSource& texts, const std::string& saverName);
std::string makeWindowTitle(const TextSource& texts, const std::string& saverName);

// "<systemFolder><saverName>.scr /u", the path in its short form on the 95/98/ME family.
std::string makeUninstallCommand(SystemInfo& system, const std::string& systemFolder,
                                 const std::string& saverName);

// What a package's extension record adds to the uninstall entry, as Programs and Features shows
// it: "Publisher", "DisplayVersion" and "URLInfoAbout" when given, "DisplayIcon" (the installed
// engine), "EstimatedSize" in KB when known, "NoModify" and "NoRepair". Not written without a
// record: the entry of every other package stays as it was.
struct UninstallDetails {
  std::string publisher;  // UTF-8, as the record gives them
  std::string version;
  std::string website;
  std::string icon;       // the engine's path as the user's programs see it
  std::int32_t estimatedSizeKb = 0;
};

// Writes "DisplayName" and "UninstallString" (and the details, when given) under HKLM, or under
// HKCU when HKLM refuses: 0 or -2201.
Status registerUninstall(Registry& registry, SystemInfo& system, const TextSource& texts,
                         const std::string& systemFolder, const std::string& saverName,
                         const UninstallDetails* details = nullptr);

// Removes the entry from HKLM, and from HKCU only when the HKLM removal failed: 0 or -2202.
// A missing key counts as removed.
Status unregisterUninstall(Registry& registry, const std::string& saverName);

// What a failed install leaves behind, removed as far as possible; failures are ignored.
struct RollbackTargets {
  std::string productFolder;
  std::string engineFileName;
  std::string saverName;
  bool alsoNativeSystemFolder = false;  // 64-bit Windows
  CodePage codePage;
};
void rollbackInstall(FileSystem& files, Registry& registry, const Folders& folders,
                     const RollbackTargets& targets);

// The launcher command that asks for the new saver to be made the active one: the command, the
// engine's file name and a NUL of its own (so two NULs travel).
std::string makeActiveSaverCommand(const std::string& engineFileName);

}  // namespace saverkit
