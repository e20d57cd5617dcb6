// The platform contract against the Win32 implementation, run under Wine: real windows of
// this process receive the messages.
#include <cstring>
#include <map>
#include <memory>

#include "contract/files_contract.h"
#include "common/text_helpers.h"
#include "contract/platform_contract.h"
#include "contract/tree_removal_contract.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_platform.h"
#include "platform/win32/win32_system.h"
#include "platform/win32/unique_handle.h"
#include "platform/win32/windows_api.h"

#include <winioctl.h>

namespace saverkit::contract {
namespace {

std::map<HWND, std::vector<ReceivedCopyData>> copyData;
std::map<HWND, std::vector<std::vector<std::uint32_t>>> posted;
std::map<HWND, int> cancelClicked;

WindowHandle toHandle(HWND window) {
  return static_cast<WindowHandle>(reinterpret_cast<std::uintptr_t>(window));
}
HWND toWindow(WindowHandle handle) {
  return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(handle));
}

LRESULT CALLBACK recordingProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COPYDATA) {
    const auto* block = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    copyData[window].push_back({toHandle(reinterpret_cast<HWND>(wParam)),
                                static_cast<std::uint32_t>(block->dwData),
                                std::string(static_cast<const char*>(block->lpData), block->cbData)});
    return TRUE;
  }
  if (message >= WM_USER) {
    posted[window].push_back({message, static_cast<std::uint32_t>(wParam), static_cast<std::uint32_t>(lParam)});
    return 0;
  }
  if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL && HIWORD(wParam) == BN_CLICKED) {
    ++cancelClicked[window];
    return 0;
  }
  return ::DefWindowProcA(window, message, wParam, lParam);
}

class Win32Harness {
 public:
  Win32Harness() {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = recordingProcedure;
    windowClass.hInstance = ::GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "SaverkitContractWindow";
    ::RegisterClassA(&windowClass);
    char temp[MAX_PATH];
    ::GetTempPathA(sizeof temp, temp);
    scratch_ = std::string(temp) + "saverkit-contract-" + std::to_string(::GetCurrentProcessId()) +
               "-" + std::to_string(++instances_) + "\\";
    ::CreateDirectoryA(scratch_.c_str(), nullptr);
  }
  ~Win32Harness() {
    for (HWND window : windows_) ::DestroyWindow(window);
    // Wine removes a Unix symbolic link by no Windows call: the Unix rm does.
    for (const auto& [link, unixLink] : unixLinks_) {
      if (runUnix("Z:\\bin\\rm -f \"" + unixLink + "\"")) waitFor(link, false);
    }
    removeTree(scratch_);
    registry_.deleteKeyTree(RegistryRoot::kCurrentUser, registryTestKey());
  }
  FileSystem& files() { return files_; }
  LibraryLoader& libraries() { return libraries_; }
  // The DLL built beside this test program.
  std::string implodeLibrary() { return folderOf(process_.modulePath()) + "impborl.dll"; }
  Registry& registry() { return registry_; }
  SystemInfo& system() { return system_; }
  std::string scratch() { return scratch_; }
  std::string registryTestKey() { return "Software\\SaverkitContract"; }
  // This test program carries the stub's version resource, 0.1.0.0.
  std::string versionedFile() { return process_.modulePath(); }
  FileVersionWords versionedFileWords() { return {0x00000001u, 0x00000000u}; }
  void makeReadOnly(const std::string& path) {
    ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
  }
  std::shared_ptr<void> holdOpen(const std::string& path) {
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    return std::shared_ptr<void>(file, [](void* handle) { ::CloseHandle(handle); });
  }
  // A junction where the system makes one; under Wine, which cannot, a Unix symbolic link made
  // by the Unix ln (Wine shows one to a folder as a reparse point).
  bool makeFolderLink(const std::string& link, const std::string& target) {
    if (makeJunction(link, target)) return true;
    using UnixName = char*(CDECL*)(LPCWSTR);
    const auto unixName = reinterpret_cast<UnixName>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    if (!unixName) return false;
    const std::string unixLink = unixPath(unixName, link), unixTarget = unixPath(unixName, target);
    if (!runUnix("Z:\\bin\\ln -s \"" + unixTarget + "\" \"" + unixLink + "\"")) return false;
    unixLinks_.push_back({link, unixLink});
    return waitFor(link, true);
  }
  WindowMessaging& messaging() { return messaging_; }
  Clock& clock() { return clock_; }
  TextSource& texts() { return texts_; }
  ProcessEnvironment& process() { return process_; }

  WindowHandle makeReceiver(const std::string& title) {
    HWND window = ::CreateWindowExA(0, "SaverkitContractWindow", title.c_str(), WS_OVERLAPPED, 0, 0,
                                    50, 50, nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr);
    windows_.push_back(window);
    return toHandle(window);
  }
  WindowHandle makeDialogWithCancelButton(const std::string& title) {
    const WindowHandle dialog = makeReceiver(title);
    ::CreateWindowExA(0, "BUTTON", "Cancel", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 0, 0, 40, 20,
                      toWindow(dialog), reinterpret_cast<HMENU>(IDCANCEL),
                      ::GetModuleHandleA(nullptr), nullptr);
    return dialog;
  }
  WindowHandle handleOfNoWindow() {
    HWND window = toWindow(makeReceiver("short-lived"));
    windows_.pop_back();
    ::DestroyWindow(window);
    return toHandle(window);
  }

  std::vector<ReceivedCopyData> copyDataReceivedBy(WindowHandle window) {
    return copyData[toWindow(window)];
  }
  std::vector<std::vector<std::uint32_t>> postedTo(WindowHandle window) {
    MSG message;
    while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageA(&message);
    return posted[toWindow(window)];
  }
  int cancelClicks(WindowHandle dialog) { return cancelClicked[toWindow(dialog)]; }

 private:
  static bool runUnix(std::string command) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
      return false;
    }
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return true;
  }
  // Wine does not wait for a Unix program it starts: its effect is awaited instead.
  static bool waitFor(const std::string& link, bool present) {
    for (int tries = 0; tries < 500; ++tries) {
      const DWORD attributes = ::GetFileAttributesA(link.c_str());
      const bool isLink = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
      if (isLink == present) return true;
      ::Sleep(10);
    }
    return false;
  }
  static std::string unixPath(char*(CDECL* unixName)(LPCWSTR), const std::string& path) {
    std::wstring wide(path.begin(), path.end());
    char* name = unixName(wide.c_str());
    std::string result = name ? name : "";
    ::HeapFree(::GetProcessHeap(), 0, name);
    return result;
  }
  static bool makeJunction(const std::string& link, const std::string& target) {
    if (!::CreateDirectoryA(link.c_str(), nullptr)) return false;
    win32::UniqueFileHandle handle(::CreateFileA(link.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                                 FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    // The mount-point reparse data: tag, sizes, then the target as the system names it and as
    // shown, each ending in a null.
    const std::wstring substitute = L"\\??\\" + std::wstring(target.begin(), target.end());
    const std::wstring shown(target.begin(), target.end());
    std::vector<WORD> data(8 + substitute.size() + shown.size() + 2, 0);
    const WORD substituteBytes = static_cast<WORD>(substitute.size() * 2), shownBytes = static_cast<WORD>(shown.size() * 2);
    data[2] = static_cast<WORD>(8 + substituteBytes + 2 + shownBytes + 2);  // after the 8-byte header
    data[5] = substituteBytes;
    data[6] = static_cast<WORD>(substituteBytes + 2);
    data[7] = shownBytes;
    std::copy(substitute.begin(), substitute.end(), data.begin() + 8);
    std::copy(shown.begin(), shown.end(), data.begin() + 8 + substitute.size() + 1);
    const DWORD tag = IO_REPARSE_TAG_MOUNT_POINT;
    std::memcpy(data.data(), &tag, sizeof tag);
    DWORD returned = 0;
    if (handle && ::DeviceIoControl(handle.get(), FSCTL_SET_REPARSE_POINT, data.data(), 8u + data[2], nullptr, 0,
                                    &returned, nullptr)) {
      return true;
    }
    handle.reset();
    ::RemoveDirectoryA(link.c_str());
    return false;
  }
  void removeTree(const std::string& folder) {
    for (const FolderEntry& entry : files_.listFolder(folder)) {
      const std::string path = folder + entry.name;
      if (entry.isLink) {
        ::RemoveDirectoryA(path.c_str());  // a junction; what it leads to is not ours
      } else if (entry.isFolder) {
        removeTree(path + "\\");
      } else {
        ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        ::DeleteFileA(path.c_str());
      }
    }
    ::RemoveDirectoryA(folder.c_str());
  }
  static inline int instances_ = 0;
  std::string scratch_;
  win32::Win32FileSystem files_;
  win32::Win32LibraryLoader libraries_;
  win32::Win32Registry registry_;
  win32::Win32SystemInfo system_;
  win32::Win32WindowMessaging messaging_;
  win32::Win32Clock clock_;
  win32::Win32TextSource texts_;
  win32::Win32ProcessEnvironment process_;
  std::vector<HWND> windows_;
  std::vector<std::pair<std::string, std::string>> unixLinks_;  // as Windows and Unix name them
};

INSTANTIATE_TYPED_TEST_SUITE_P(Win32, PlatformContract, Win32Harness);
INSTANTIATE_TYPED_TEST_SUITE_P(Win32, FilesContract, Win32Harness);
INSTANTIATE_TYPED_TEST_SUITE_P(Win32, TreeRemovalContract, Win32Harness);

// Not a contract of the interface: only Windows and Wine make a second name for a file. Removing
// one name of a read-only file must not make the file behind it writable.
TEST(Win32Files, ASecondNameOfAReadOnlyFileIsNotRemovedThroughItsAttributes) {
  const std::string folderPath = "C:\\saverkit-second-name\\";
  const std::string target = folderPath + "kept.txt";
  ::CreateDirectoryA(folderPath.c_str(), nullptr);
  win32::UniqueFileHandle(::CreateFileA(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  ::SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_READONLY);
  if (!::CreateHardLinkA((folderPath + "second.lnk").c_str(), target.c_str(), nullptr)) {
    GTEST_SKIP() << "no second names here: " << ::GetLastError();
  }
  win32::Win32FileSystem files;
  Status error = 0;
  const std::unique_ptr<HeldFolder> folder = files.holdFolderWithoutLinks(folderPath, error);
  ASSERT_TRUE(folder) << error;
  EXPECT_NE(files.deletePlainFileIn(*folder, "second.lnk"), status::kSuccess);
  EXPECT_TRUE(::GetFileAttributesA(target.c_str()) & FILE_ATTRIBUTE_READONLY);
  for (const char* name : {"second.lnk", "kept.txt"}) {
    ::SetFileAttributesA((folderPath + name).c_str(), FILE_ATTRIBUTE_NORMAL);
    ::DeleteFileA((folderPath + name).c_str());
  }
  ::RemoveDirectoryA(folderPath.c_str());
}

}  // namespace
}  // namespace saverkit::contract
