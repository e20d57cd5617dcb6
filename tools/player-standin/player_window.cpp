// The player window; see the header.
#include "player_window.h"

#include "module.h"
#include "player_control.h"

namespace standin {
namespace {

constexpr char kClassName[] = "SaverkitStandinPlayer";

LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* creation = reinterpret_cast<const CREATESTRUCTA*>(lParam);
    ::SetWindowLongPtrA(window, GWLP_USERDATA,
                        reinterpret_cast<LONG_PTR>(creation->lpCreateParams));
  }
  auto* control = reinterpret_cast<PlayerControl*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
  switch (message) {
    case WM_ERASEBKGND:
      return 1;  // WM_PAINT fills every pixel; erasing first would only flicker
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = ::BeginPaint(window, &paint);
      RECT client;
      ::GetClientRect(window, &client);
      if (control) control->paint(dc, client);
      ::EndPaint(window, &paint);
      return 0;
    }
    case WM_NCDESTROY:
      // Destroying the host's window takes ours with it, without the control asking.
      if (control) control->windowDestroyed();
      ::SetWindowLongPtrA(window, GWLP_USERDATA, 0);
      break;
    default:
      break;
  }
  return ::DefWindowProcA(window, message, wParam, lParam);
}

bool registerWindowClass() {
  WNDCLASSA windowClass{};
  if (::GetClassInfoA(moduleInstance(), kClassName, &windowClass)) return true;
  windowClass.style = CS_HREDRAW | CS_VREDRAW;
  windowClass.lpfnWndProc = windowProcedure;
  windowClass.hInstance = moduleInstance();
  windowClass.hCursor = ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  windowClass.lpszClassName = kClassName;
  return ::RegisterClassA(&windowClass) != 0;
}

}  // namespace

HWND createPlayerWindow(PlayerControl& control, HWND parent, const RECT& bounds) {
  if (!registerWindowClass()) return nullptr;
  return ::CreateWindowExA(0, kClassName, "", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS,
                           bounds.left, bounds.top, bounds.right - bounds.left,
                           bounds.bottom - bounds.top, parent, nullptr, moduleInstance(),
                           &control);
}

void unregisterWindowClass() { ::UnregisterClassA(kClassName, moduleInstance()); }

}  // namespace standin
