// Fakes of the system information, the registry and the shell; see the header.
#include "platform/fake/fake_system.h"

#include <cstdio>

#include "common/saverkit_error.h"
#include "common/text_helpers.h"

namespace saverkit::fake {

SpecialFolderAnswer FakeSystemInfo::specialFolderLocation(int folder) {
  specialFolderQueries.push_back(folder);
  if (failingSpecialFolders.count(folder) != 0) return {false, std::nullopt};
  const auto found = specialFolders.find(folder);
  if (found == specialFolders.end()) return {true, std::nullopt};
  return {true, found->second};
}

std::optional<std::string> FakeSystemInfo::folderPath(int folder) {
  const auto found = fallbackFolders.find(folder);
  if (found == fallbackFolders.end()) return std::nullopt;
  return found->second;
}

std::optional<std::string> FakeSystemInfo::defaultFolderPath(int folder) {
  if (const auto found = defaultFolders.find(folder); found != defaultFolders.end()) return found->second;
  // A folder the system cannot name has no default either, unless the test gives one.
  if (failingSpecialFolders.count(folder) != 0) return std::nullopt;
  const auto found = specialFolders.find(folder);
  if (found == specialFolders.end()) return std::nullopt;
  return found->second;
}

std::optional<std::string> FakeSystemInfo::shortPath(const std::string& path) {
  const auto found = shortPaths.find(path);
  if (found == shortPaths.end()) return std::nullopt;
  return found->second;
}

std::optional<FileVersionWords> FakeSystemInfo::fileVersion(const std::string& path) {
  const auto found = fileVersions.find(path);
  if (found == fileVersions.end()) return std::nullopt;
  return found->second;
}

namespace {

class FakeRegistryKey : public RegistryKey {
 public:
  FakeRegistryKey(FakeRegistry& registry, FakeRegistry::Values& values, bool writable)
      : registry_(registry), values_(values), writable_(writable) {}
  bool setString(const std::string& name, const std::string& value) override {
    if (!writable_ || registry_.failingValueNames.count(name) != 0) return false;
    values_[toLowerAscii(name)] = value;
    return true;
  }
  bool setUtf8String(const std::string& name, const std::string& value) override { return setString(name, value); }
  // Numbers are kept in the form .reg files write them.
  bool setNumber(const std::string& name, std::uint32_t value) override {
    char text[16];
    std::snprintf(text, sizeof text, "dword:%08x", value);
    return setString(name, text);
  }
  bool deleteValue(const std::string& name) override {
    if (!writable_ || registry_.failingValueNames.count(name) != 0) return false;
    return values_.erase(toLowerAscii(name)) != 0;
  }
  std::optional<std::string> readString(const std::string& name) override {
    const auto found = values_.find(toLowerAscii(name));
    if (found == values_.end()) return std::nullopt;
    return found->second;
  }

 private:
  FakeRegistry& registry_;
  FakeRegistry::Values& values_;
  bool writable_;
};

}  // namespace

namespace {
// "\\CLSID\\..." and "CLSID\\..." name the same key under a root.
std::string keyName(const std::string& path) {
  return toLowerAscii(path.empty() || path[0] != '\\' ? path : path.substr(1));
}
}  // namespace

std::unique_ptr<RegistryKey> FakeRegistry::openKey(RegistryRoot root, const std::string& path,
                                                   KeyAccess access) {
  openings.push_back({root, path, access});
  auto& rootKeys = keys[root];
  const std::string keyPath = keyName(path);
  const bool writable = readOnlyRoots.count(root) == 0 && access != KeyAccess::kRead;
  auto found = rootKeys.find(keyPath);
  if (found == rootKeys.end()) {
    if (access != KeyAccess::kCreate || !writable) return nullptr;
    found = rootKeys.emplace(keyPath, Values{}).first;
  }
  return std::make_unique<FakeRegistryKey>(*this, found->second, writable);
}

bool FakeRegistry::deleteKeyTree(RegistryRoot root, const std::string& path) {
  const std::string keyPath = keyName(path);
  if (readOnlyRoots.count(root) != 0 || undeletableKeys.count(keyPath) != 0) return false;
  auto& rootKeys = keys[root];
  bool removed = false;
  for (auto it = rootKeys.begin(); it != rootKeys.end();) {
    if (it->first == keyPath || startsWith(it->first, keyPath + "\\")) {
      it = rootKeys.erase(it);
      removed = true;
    } else {
      ++it;
    }
  }
  return removed;
}

bool FakeRegistry::hasKey(RegistryRoot root, const std::string& path) const {
  const auto rootKeys = keys.find(root);
  return rootKeys != keys.end() && rootKeys->second.count(keyName(path)) != 0;
}

std::optional<std::string> FakeRegistry::value(RegistryRoot root, const std::string& path,
                                               const std::string& name) const {
  const auto rootKeys = keys.find(root);
  if (rootKeys == keys.end()) return std::nullopt;
  const auto key = rootKeys->second.find(keyName(path));
  if (key == rootKeys->second.end()) return std::nullopt;
  const auto found = key->second.find(toLowerAscii(name));
  if (found == key->second.end()) return std::nullopt;
  return found->second;
}

namespace {

class FakeLoadedLibrary : public LoadedLibrary {
 public:
  FakeLoadedLibrary(std::map<std::string, void*> exports, int& loadedNow)
      : exports_(std::move(exports)), loadedNow_(loadedNow) {
    ++loadedNow_;
  }
  ~FakeLoadedLibrary() override { --loadedNow_; }
  void* symbol(const std::string& name) override {
    const auto found = exports_.find(name);
    return found == exports_.end() ? nullptr : found->second;
  }

 private:
  std::map<std::string, void*> exports_;
  int& loadedNow_;
};

}  // namespace

std::unique_ptr<LoadedLibrary> FakeLibraryLoader::load(const std::string& path, Status& error) {
  loads.push_back(path);
  for (const auto& [libraryPath, exports] : libraries) {
    if (toLowerAscii(libraryPath) == toLowerAscii(path)) {
      error = 0;
      return std::make_unique<FakeLoadedLibrary>(exports, loadedNow);
    }
  }
  error = 126;  // the module could not be found
  return nullptr;
}

void FakeShell::openDocument(WindowHandle, const std::string& path) { opened.push_back(path); }

}  // namespace saverkit::fake

namespace saverkit::fake {

int FakeShell::startHidden(const std::string& path, const std::string& parameters, const std::string& folder) {
  started.push_back(path + " " + parameters);
  startFolders.push_back(folder);
  if (onStart) onStart();
  return startResult;
}

bool FakeShell::startAsSignedInUser(const std::string& path, const std::string& parameters, bool shown) {
  startedAsUser.push_back(path + " " + parameters + (shown ? " (shown)" : " (hidden)"));
  return startAsUserResult;
}

PlayerVersionAnswer FakePlayerControl::queryVersion(const std::string& controlFile) {
  controlFiles.push_back(controlFile);
  const std::size_t index = static_cast<std::size_t>(queries++);
  return index < answers.size() ? answers[index] : lastAnswer;
}

namespace {

class FakeHostedPlayer : public HostedPlayer {
 public:
  explicit FakeHostedPlayer(FakePlayerControl& control) : control_(control) { ++control_.livingPlayers; }
  ~FakeHostedPlayer() override {
    control_.calls.push_back("free");
    --control_.livingPlayers;
  }
  void placeInPanel() override { record("place", ""); }
  void setScaleMode(int mode) override { record("ScaleMode", std::to_string(mode)); }
  void setVariable(const std::string& name, const std::string& value) override {
    record("SetVariable", name + " " + value);
  }
  void setWindowMode(const std::string& mode) override { record("WMode", mode); }
  void setMenu(bool shown) override { record("Menu", shown ? "true" : "false"); }
  void doVerb(int verb) override { record("verb", std::to_string(verb)); }
  void setMovie(const std::string& path) override { record("Movie", path); }
  void play() override { record("Play", ""); }
  void stopPlay() override { record("StopPlay", ""); }
  void takeFocus() override { record("focus", ""); }

 private:
  void record(const std::string& operation, const std::string& argument) {
    control_.calls.push_back(argument.empty() ? operation : operation + " " + argument);
    if (operation == control_.refusedOperation) throw SaverkitError(operation + " refused");
  }
  FakePlayerControl& control_;
};

}  // namespace

std::unique_ptr<HostedPlayer> FakePlayerControl::createHostedPlayer(WindowHandle panel,
                                                                    const std::string& controlFile) {
  controlFiles.push_back(controlFile);
  ++creationAttempts;
  if (creationFailures < 0 || creationAttempts <= creationFailures) return nullptr;
  calls.push_back("create " + std::to_string(panel));
  return std::make_unique<FakeHostedPlayer>(*this);
}

}  // namespace saverkit::fake
