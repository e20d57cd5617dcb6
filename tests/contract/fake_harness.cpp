// The platform contract against the in-memory fakes.
#include <memory>

#include "contract/files_contract.h"
#include "contract/platform_contract.h"
#include "contract/tree_removal_contract.h"
#include "installer/fake/fake_platform.h"

namespace saverkit::contract {
namespace {

class FakeHarness {
 public:
  FakeHarness() {
    fakes_.process.path = "C:\\Installer.exe";
    fakes_.files.addFolder("C:\\scratch");
    fakes_.system.fileVersions["C:\\tools\\versioned.exe"] = versionedFileWords();
  }
  FileSystem& files() { return fakes_.files; }
  LibraryLoader& libraries() { return fakes_.libraries; }
  // The fake offers a library only where a test registered one.
  std::string implodeLibrary() {
    static int marker = 0;  // an address to stand for each export
    fakes_.libraries.libraries["C:\\work\\impborl.dll"] = {
        {"_implode", &marker}, {"_explode", &marker}, {"_crc32", &marker}};
    return "C:\\work\\impborl.dll";
  }
  Registry& registry() { return fakes_.registry; }
  SystemInfo& system() { return fakes_.system; }
  std::string scratch() { return "C:\\scratch\\"; }
  std::string registryTestKey() { return "Software\\SaverkitContract"; }
  std::string versionedFile() { return "C:\\tools\\versioned.exe"; }
  FileVersionWords versionedFileWords() { return {0x00000001u, 0x00000000u}; }
  void makeReadOnly(const std::string& path) {
    const auto data = fakes_.files.contents(path);
    fakes_.files.addFile(path, data.value_or(""), true);
  }
  // The fake keeps a file busy through its fault table.
  std::shared_ptr<void> holdOpen(const std::string& path) {
    fakes_.files.busyFiles[path] = fake::FakeFileSystem::kForever;
    return std::shared_ptr<void>(nullptr, [this, path](void*) { fakes_.files.busyFiles.erase(path); });
  }
  // The fake's link shows the target's files beneath it, as a junction does.
  bool makeFolderLink(const std::string& link, const std::string& target) {
    fakes_.files.addFolderLink(link);
    for (const std::string& path : fakes_.files.pathsUnder(target)) {
      const std::string seen = link + path.substr(target.size());
      if (const auto data = fakes_.files.contents(path)) {
        fakes_.files.addFile(seen, *data);
      } else {
        fakes_.files.addFolder(seen);
      }
    }
    return true;
  }
  WindowMessaging& messaging() { return fakes_.messaging; }
  Clock& clock() { return fakes_.clock; }
  TextSource& texts() { return fakes_.texts; }
  ProcessEnvironment& process() { return fakes_.process; }

  WindowHandle makeReceiver(const std::string& title) {
    const WindowHandle handle = nextHandle_++;
    fakes_.messaging.windows[handle] = title;
    return handle;
  }
  WindowHandle makeDialogWithCancelButton(const std::string& title) { return makeReceiver(title); }
  WindowHandle handleOfNoWindow() { return 0x7FFF0001; }

  std::vector<ReceivedCopyData> copyDataReceivedBy(WindowHandle window) {
    std::vector<ReceivedCopyData> received;
    for (const auto& record : fakes_.messaging.sent) {
      if (record.target == window) received.push_back({record.sender, record.tag, record.data});
    }
    return received;
  }
  std::vector<std::vector<std::uint32_t>> postedTo(WindowHandle window) {
    std::vector<std::vector<std::uint32_t>> posted;
    for (const auto& message : fakes_.messaging.posted) {
      if (message.target == window) posted.push_back({message.message, message.wParam, message.lParam});
    }
    return posted;
  }
  // A fake dialog has exactly one control that counts as Cancel: id 2.
  int cancelClicks(WindowHandle dialog) {
    int clicks = 0;
    for (const auto& [window, id] : fakes_.messaging.clicks) clicks += window == dialog && id == 2;
    return clicks;
  }

 private:
  fake::FakePlatform fakes_;
  WindowHandle nextHandle_ = 100;
};

INSTANTIATE_TYPED_TEST_SUITE_P(Fake, PlatformContract, FakeHarness);
INSTANTIATE_TYPED_TEST_SUITE_P(Fake, FilesContract, FakeHarness);
INSTANTIATE_TYPED_TEST_SUITE_P(Fake, TreeRemovalContract, FakeHarness);

}  // namespace
}  // namespace saverkit::contract
