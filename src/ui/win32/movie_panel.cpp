// The movie panel; see the header.
#include "ui/win32/movie_panel.h"

namespace saverkit::win32 {

void MoviePanel::create(HWND parent, const Rect& bounds, int id) {
  WNDCLASSA movieClass{};
  movieClass.lpfnWndProc = procedure;
  movieClass.hInstance = ::GetModuleHandleA(nullptr);
  movieClass.lpszClassName = kClassName;
  ::RegisterClassA(&movieClass);
  ChildControl::create(parent, kClassName, "", WS_CLIPCHILDREN | WS_TABSTOP, bounds, id, nullptr);
  setColor(RGB(255, 255, 255));
}

void MoviePanel::setColor(COLORREF color) {
  if (!window_) return;
  // The colour lives with the window, where its procedure finds it.
  ::SetWindowLongPtrA(window_, GWLP_USERDATA, static_cast<LONG_PTR>(color));
  repaint();
}

void MoviePanel::collapse() {
  if (!window_) return;
  ::SetWindowLongPtrA(window_, GWL_STYLE, ::GetWindowLongPtrA(window_, GWL_STYLE) & ~WS_TABSTOP);
  ::SetWindowPos(window_, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT CALLBACK MoviePanel::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_ERASEBKGND) {
    RECT area;
    ::GetClientRect(window, &area);
    HBRUSH brush = ::CreateSolidBrush(static_cast<COLORREF>(::GetWindowLongPtrA(window, GWLP_USERDATA)));
    ::FillRect(reinterpret_cast<HDC>(wParam), &area, brush);
    ::DeleteObject(brush);
    return 1;
  }
  return ::DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace saverkit::win32
