// The preparing window; see the header.
#include "ui/win32/preparing_window.h"

#include "ui/win32/message_pump.h"

namespace saverkit::win32 {

LRESULT PreparingWindow::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  // As the main window, closing it ends the program at once, without the installer window's
  // close handling.
  if (message == WM_DESTROY) {
    ::PostQuitMessage(0);
    return 0;
  }
  if (message == WM_SETCURSOR && showBusyCursor()) return TRUE;
  return FormWindow::handleMessage(message, wParam, lParam);
}

void PreparingWindow::create(HFONT font, const std::string& label, HWND owner, bool shown) {
  const DWORD style = WS_CAPTION | WS_SYSMENU | (shown ? WS_VISIBLE : 0);
  RECT frame{0, 0, kClientWidth, kClientHeight};
  ::AdjustWindowRect(&frame, style, FALSE);
  // Created off the screen; the startup sequence centres it when the run is not quiet.
  ::OffsetRect(&frame, -1560 - frame.left, -3000 - frame.top);
  createForm(kClassName, 0, style, frame, owner);
  label_ = ::CreateWindowExA(0, "STATIC", label.c_str(),
                             WS_CHILD | WS_VISIBLE | SS_CENTER | SS_CENTERIMAGE, 0, 0, kClientWidth,
                             kClientHeight, handle(), nullptr, ::GetModuleHandleA(nullptr), nullptr);
  ::SendMessageA(label_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
}

void PreparingWindow::setCaption(const std::string& caption) {
  if (handle()) ::SetWindowTextA(handle(), caption.c_str());
}

void PreparingWindow::setMessage(const std::string& text) {
  if (!label_) return;
  ::SetWindowTextA(label_, text.c_str());
  ::UpdateWindow(label_);
}

void PreparingWindow::repaint() {
  if (!handle()) return;
  ::InvalidateRect(handle(), nullptr, TRUE);
  ::UpdateWindow(handle());
}

}  // namespace saverkit::win32
