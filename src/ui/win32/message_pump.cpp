// Message handling; see the header.
#include "ui/win32/message_pump.h"

namespace saverkit::win32 {
namespace {

void dispatch(HWND dialogWindow, MSG& message) {
  // The right button never reaches any window of the program, the movie included.
  if (message.message == WM_RBUTTONDOWN) return;
  if (dialogWindow && ::IsWindow(dialogWindow) && ::IsDialogMessageA(dialogWindow, &message)) return;
  ::TranslateMessage(&message);
  ::DispatchMessageA(&message);
}

}  // namespace

bool handleOneMessage(HWND dialogWindow) {
  MSG message;
  const BOOL got = ::GetMessageA(&message, nullptr, 0, 0);
  if (got == 0 || got == -1) {
    ::PostQuitMessage(static_cast<int>(message.wParam));
    return false;
  }
  dispatch(dialogWindow, message);
  return true;
}

void processPendingMessages(HWND dialogWindow) {
  MSG message;
  while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      ::PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
    dispatch(dialogWindow, message);
  }
}

namespace {
// The program has one user-interface thread; this is its state, not the core's.
bool busyCursor = false;
}  // namespace

void setBusyCursor(bool busy) {
  busyCursor = busy;
  ::SetCursor(::LoadCursorA(nullptr, busy ? IDC_WAIT : IDC_ARROW));
}

bool showBusyCursor() {
  if (!busyCursor) return false;
  ::SetCursor(::LoadCursorA(nullptr, IDC_WAIT));
  return true;
}

void runMessageLoop(HWND dialogWindow) {
  MSG message;
  while (::GetMessageA(&message, nullptr, 0, 0) > 0) dispatch(dialogWindow, message);
}

}  // namespace saverkit::win32
