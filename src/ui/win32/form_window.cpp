// The form base; see the header.
#include "ui/win32/form_window.h"

#include "package/branding_room.h"

namespace saverkit::win32 {

void registerFormClass(const char* className, WNDPROC procedure) {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = ::GetModuleHandleA(nullptr);
  // The author's icon when saverpack put one in; none otherwise, as before.
  windowClass.hIcon = ::LoadIconA(windowClass.hInstance, MAKEINTRESOURCEA(saverkit::kBrandingIconGroupId));
  windowClass.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = className;
  ::RegisterClassA(&windowClass);
}

POINT centredPosition(int screenWidth, int screenHeight, int windowWidth, int windowHeight) {
  return POINT{(screenWidth - windowWidth) / 2, (screenHeight - windowHeight) / 2};
}

void FormWindow::createForm(const char* className, DWORD extendedStyle, DWORD style,
                            const RECT& bounds, HWND owner) {
  registerFormClass(className, trampoline);
  ::CreateWindowExA(extendedStyle, className, "", style, bounds.left, bounds.top,
                    bounds.right - bounds.left, bounds.bottom - bounds.top, owner, nullptr,
                    ::GetModuleHandleA(nullptr), this);
}

void FormWindow::moveTo(int left, int top) {
  if (alive()) ::SetWindowPos(window_, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void FormWindow::centerOnScreen() {
  if (!alive()) return;
  RECT bounds;
  ::GetWindowRect(window_, &bounds);
  const POINT position =
      centredPosition(::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN),
                      bounds.right - bounds.left, bounds.bottom - bounds.top);
  // A centred window is one the user is to see: it comes to the front.
  ::SetWindowPos(window_, nullptr, position.x, position.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

LRESULT FormWindow::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  return ::DefWindowProcA(window_, message, wParam, lParam);
}

LRESULT CALLBACK FormWindow::trampoline(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  // The object comes with the creation: kept with the window from its first message on, so that
  // the messages sent while CreateWindowEx runs reach it too.
  if (message == WM_NCCREATE) {
    auto* self = static_cast<FormWindow*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
    ::SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    self->window_ = window;
  }
  auto* self = reinterpret_cast<FormWindow*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
  if (self && self->window_ == window) return self->handleMessage(message, wParam, lParam);
  return ::DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace saverkit::win32
