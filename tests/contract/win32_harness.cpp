// The platform contract against the Win32 implementation, run under Wine: real windows of
// this process receive the messages.
#include <map>
#include <memory>

#include "contract/files_contract.h"
#include "common/text_helpers.h"
#include "contract/platform_contract.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_platform.h"
#include "platform/win32/win32_system.h"
#include "platform/win32/unique_handle.h"
#include "platform/win32/windows_api.h"

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
  void removeTree(const std::string& folder) {
    for (const FolderEntry& entry : files_.listFolder(folder)) {
      const std::string path = folder + entry.name;
      if (entry.isFolder) {
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
};

INSTANTIATE_TYPED_TEST_SUITE_P(Win32, PlatformContract, Win32Harness);
INSTANTIATE_TYPED_TEST_SUITE_P(Win32, FilesContract, Win32Harness);

}  // namespace
}  // namespace saverkit::contract
