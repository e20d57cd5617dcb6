// The preparing window; see the header.
#include "ui/win32/preparing_window.h"

#include "ui/win32/message_pump.h"

namespace saverkit::win32 {

void registerFormClass(const char* className, WNDPROC procedure) {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = ::GetModuleHandleA(nullptr);
  windowClass.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = className;
  ::RegisterClassA(&windowClass);
}

POINT centredPosition(int screenWidth, int screenHeight, int windowWidth, int windowHeight) {
  return POINT{(screenWidth - windowWidth) / 2, (screenHeight - windowHeight) / 2};
}

LRESULT CALLBACK PreparingWindow::windowProcedure(HWND window, UINT message, WPARAM wParam,
                                                  LPARAM lParam) {
  // As the main window, closing it ends the program at once, without the installer window's
  // close handling.
  if (message == WM_DESTROY) {
    ::PostQuitMessage(0);
    return 0;
  }
  if (message == WM_SETCURSOR && showBusyCursor()) return TRUE;
  return ::DefWindowProcA(window, message, wParam, lParam);
}

void PreparingWindow::create(HFONT font, const std::string& label, HWND owner) {
  registerFormClass(kClassName, windowProcedure);

  const DWORD style = WS_CAPTION | WS_SYSMENU | WS_VISIBLE;
  RECT frame{0, 0, kClientWidth, kClientHeight};
  ::AdjustWindowRect(&frame, style, FALSE);
  // Created off the screen; the startup sequence centres it when the run is not quiet.
  window_ = ::CreateWindowExA(0, kClassName, "", style, -1560, -3000, frame.right - frame.left,
                              frame.bottom - frame.top, owner, nullptr,
                              ::GetModuleHandleA(nullptr), nullptr);
  label_ = ::CreateWindowExA(0, "STATIC", label.c_str(),
                             WS_CHILD | WS_VISIBLE | SS_CENTER | SS_CENTERIMAGE, 0, 0, kClientWidth,
                             kClientHeight, window_, nullptr, ::GetModuleHandleA(nullptr), nullptr);
  ::SendMessageA(label_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
}

void PreparingWindow::setCaption(const std::string& caption) {
  if (window_) ::SetWindowTextA(window_, caption.c_str());
}

void PreparingWindow::setMessage(const std::string& text) {
  if (!label_) return;
  ::SetWindowTextA(label_, text.c_str());
  ::UpdateWindow(label_);
}

void PreparingWindow::moveTo(int left, int top) {
  if (window_) ::SetWindowPos(window_, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

void PreparingWindow::centerOnScreen() {
  if (!window_) return;
  RECT bounds;
  ::GetWindowRect(window_, &bounds);
  const POINT position =
      centredPosition(::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN),
                      bounds.right - bounds.left, bounds.bottom - bounds.top);
  moveTo(position.x, position.y);
}

void PreparingWindow::repaint() {
  if (window_) {
    ::InvalidateRect(window_, nullptr, TRUE);
    ::UpdateWindow(window_);
  }
}

}  // namespace saverkit::win32
