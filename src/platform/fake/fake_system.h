// Fakes of the system information, the registry and the shell.
#pragma once

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/library_loader.h"
#include "platform/player_control.h"
#include "platform/registry.h"
#include "platform/shell.h"
#include "platform/system_info.h"

namespace saverkit::fake {

class FakeSystemInfo : public SystemInfo {
 public:
  std::optional<VersionRecord> readVersion() override { return version; }
  Wow64Answer queryWow64() override { return wow64; }
  std::string systemDirectory() override { return systemFolder; }
  std::string windowsDirectory() override { return windowsFolder; }
  SpecialFolderAnswer specialFolderLocation(int folder) override;
  std::optional<std::string> folderPath(int folder) override;
  std::optional<std::string> defaultFolderPath(int folder) override;
  std::optional<std::string> shortPath(const std::string& path) override;
  std::optional<FileVersionWords> fileVersion(const std::string& path) override;
  CodePage ansiCodePage() override { return codePage; }

  // Windows XP by default, a 32-bit system.
  std::optional<VersionRecord> version = VersionRecord{5, 1, 2600, 2, "Service Pack 3"};
  Wow64Answer wow64 = Wow64Answer::kNo;
  std::string systemFolder = "C:\\WINDOWS\\system32";
  std::string windowsFolder = "C:\\WINDOWS";
  std::map<int, std::string> specialFolders = {
      {5, "C:\\Documents and Settings\\user\\My Documents"},
      {7, "C:\\Documents and Settings\\user\\Start Menu\\Programs\\Startup"},
      {26, "C:\\Documents and Settings\\user\\Application Data"},
      {28, "C:\\Documents and Settings\\user\\Local Settings\\Application Data"},
      {35, "C:\\Documents and Settings\\All Users\\Application Data"},
  };
  // Folders whose special-folder query fails; and their answers through the fallback route.
  std::set<int> failingSpecialFolders;
  std::map<int, std::string> fallbackFolders;
  // Windows' own places for folders the user moved; a folder not named here is where Windows
  // put it (its special-folder answer).
  std::map<int, std::string> defaultFolders;
  std::map<std::string, std::string> shortPaths;
  std::map<std::string, FileVersionWords> fileVersions;
  CodePage codePage;  // single-byte unless a test gives lead bytes
  std::vector<int> specialFolderQueries;
};

class FakeRegistry : public Registry {
 public:
  std::unique_ptr<RegistryKey> openKey(RegistryRoot root, const std::string& path,
                                       KeyAccess access) override;
  bool deleteKeyTree(RegistryRoot root, const std::string& path) override;

  using Values = std::map<std::string, std::string>;  // by lower-cased name
  // Lower-cased key path → values, per root.
  std::map<RegistryRoot, std::map<std::string, Values>> keys;
  // Faults: roots where keys cannot be created or written; value names whose writes or
  // deletions fail; key paths that cannot be deleted.
  std::set<RegistryRoot> readOnlyRoots;
  std::set<std::string> failingValueNames;
  std::set<std::string> undeletableKeys;
  // Every opening, in order, with the access it asked for. A key opened for reading refuses
  // writes, as the real one does.
  struct Opening {
    RegistryRoot root;
    std::string path;
    KeyAccess access;
  };
  std::vector<Opening> openings;

  bool hasKey(RegistryRoot root, const std::string& path) const;
  std::optional<std::string> value(RegistryRoot root, const std::string& path,
                                   const std::string& name) const;
};

// Libraries by path (letter case aside), each a table of exports; loading anything else fails
// with "file not found".
class FakeLibraryLoader : public LibraryLoader {
 public:
  std::unique_ptr<LoadedLibrary> load(const std::string& path, Status& error) override;
  std::map<std::string, std::map<std::string, void*>> libraries;
  std::vector<std::string> loads;
  int loadedNow = 0;  // libraries loaded and not yet unloaded
};

class FakeShell : public Shell {
 public:
  void openDocument(WindowHandle owner, const std::string& path) override;
  int startHidden(const std::string& path, const std::string& parameters, const std::string& folder) override;
  bool startAsSignedInUser(const std::string& path, const std::string& parameters, bool shown) override;
  std::vector<std::string> opened;
  std::vector<std::string> startedAsUser;  // "path parameters (shown|hidden)"
  bool startAsUserResult = true;
  std::vector<std::string> started;  // "path parameters"
  std::vector<std::string> startFolders;  // the current folder of each program started
  int startResult = 42;
  std::function<void()> onStart;  // e.g. a player installer that registers a player
};

// The player control: the answers to successive version queries, then `lastAnswer` for good.
// Hosted players record every call, in order, in `calls` ("create 77", "ScaleMode 0",
// "verb -3", "Movie C:\\m.swf", "free", ...).
class FakePlayerControl : public PlayerControl {
 public:
  PlayerVersionAnswer queryVersion(const std::string& controlFile) override;
  std::unique_ptr<HostedPlayer> createHostedPlayer(WindowHandle panel, const std::string& controlFile) override;
  // The control file each query and creation was given.
  std::vector<std::string> controlFiles;
  std::vector<PlayerVersionAnswer> answers;
  PlayerVersionAnswer lastAnswer;
  int queries = 0;

  // Creations that fail before one succeeds (-1: every one fails).
  int creationFailures = 0;
  int creationAttempts = 0;
  // The hosted operation (as named in `calls`, e.g. "WMode" or "StopPlay") that throws.
  std::string refusedOperation;
  std::vector<std::string> calls;
  int livingPlayers = 0;
};

}  // namespace saverkit::fake
