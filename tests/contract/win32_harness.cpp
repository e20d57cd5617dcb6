// The platform contract against the Win32 implementation, run under Wine: real windows of
// this process receive the messages.
#include <map>

#include "contract/platform_contract.h"
#include "platform/win32/win32_platform.h"
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
  }
  ~Win32Harness() {
    for (HWND window : windows_) ::DestroyWindow(window);
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
  win32::Win32WindowMessaging messaging_;
  win32::Win32Clock clock_;
  win32::Win32TextSource texts_;
  win32::Win32ProcessEnvironment process_;
  std::vector<HWND> windows_;
};

INSTANTIATE_TYPED_TEST_SUITE_P(Win32, PlatformContract, Win32Harness);

}  // namespace
}  // namespace saverkit::contract
