// The installer window; see the header.
#include "ui/win32/installer_window.h"

#include <commctrl.h>

#include "ui/win32/message_pump.h"

namespace saverkit::win32 {
namespace {

enum ControlId : int {
  kInstallButtonId = 101,
  kCancelButtonId = 102,
  kDoneButtonId = 103,
  kStatusLabelId = 104,
  kProgressBarId = 105,
  kContentPanelId = 106,
};
constexpr UINT_PTR kPauseTimerId = 1;
constexpr UINT kPauseIntervalMilliseconds = 100;

// Design positions: the content panel from the top, the button panel below it.
constexpr int kContentTop = 1;
constexpr int kContentWidth = 482;
constexpr int kContentHeight = 272;
constexpr int kButtonPanelTop = kContentTop + kContentHeight + 2;
constexpr int kButtonPanelHeight = 63;

}  // namespace

HWND InstallerWindow::addControl(const char* windowClass, const std::string& text, DWORD style,
                                 RECT bounds, int id, HFONT font) {
  HWND child = ::CreateWindowExA(0, windowClass, text.c_str(), WS_CHILD | style, bounds.left,
                                 bounds.top, bounds.right, bounds.bottom, window_,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                 ::GetModuleHandleA(nullptr), nullptr);
  ::SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return child;
}

void InstallerWindow::create(InstallerEvents& events, HFONT font, const std::string& cancelCaption,
                             const std::string& closeCaption, const std::string& installCaption) {
  events_ = &events;
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = windowProcedure;
  windowClass.hInstance = ::GetModuleHandleA(nullptr);
  windowClass.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = kClassName;
  ::RegisterClassA(&windowClass);

  const DWORD style = WS_CAPTION | WS_SYSMENU;
  RECT frame{0, 0, kContentWidth, kButtonPanelTop + kButtonPanelHeight};
  ::AdjustWindowRectEx(&frame, style, FALSE, WS_EX_TOPMOST);
  window_ = ::CreateWindowExA(WS_EX_TOPMOST, kClassName, "", style, CW_USEDEFAULT, CW_USEDEFAULT,
                              kWidth, frame.bottom - frame.top, nullptr, nullptr,
                              windowClass.hInstance, this);

  addControl("STATIC", "", WS_VISIBLE | SS_SUNKEN, {0, kContentTop, kContentWidth, kContentHeight},
             kContentPanelId, font);
  const int panel = kButtonPanelTop;
  controls_[Control::kStatusLabel] =
      addControl("STATIC", "", SS_LEFT | SS_NOPREFIX, {2, panel + 3, 360, 13}, kStatusLabelId, font);
  progress_ = addControl(PROGRESS_CLASSA, "", WS_VISIBLE, {1, panel + 20, 480, 12},
                         kProgressBarId, font);
  ::SendMessageA(progress_, PBM_SETRANGE32, 0, 100);
  ::SendMessageA(progress_, PBM_SETSTEP, 1, 0);
  const int cancelLeft = kContentWidth - 80 - 1;
  controls_[Control::kCancelButton] = addControl(
      "BUTTON", cancelCaption, WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON,
      {cancelLeft, panel + 36, 80, 25}, kCancelButtonId, font);
  controls_[Control::kInstallButton] = addControl(
      "BUTTON", installCaption, WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON,
      {cancelLeft - 80 - 6, panel + 36, 80, 25}, kInstallButtonId, font);
  controls_[Control::kDoneButton] = addControl("BUTTON", closeCaption, WS_TABSTOP | BS_PUSHBUTTON,
                                               {400, panel + 36, 80, 25}, kDoneButtonId, font);
}

void InstallerWindow::show() {
  if (!alive()) return;
  ::ShowWindow(window_, SW_SHOW);
  ::UpdateWindow(window_);
  if (events_) events_->onFormShow();
}

void InstallerWindow::destroy() {
  if (alive()) ::DestroyWindow(window_);
  window_ = nullptr;
  progress_ = nullptr;
  controls_.clear();
}

HWND InstallerWindow::control(Control which) const {
  const auto found = controls_.find(which);
  return found == controls_.end() ? nullptr : found->second;
}

void InstallerWindow::pauseBriefly() {
  if (!alive()) return;
  pauseRunning_ = true;
  ::SetTimer(window_, kPauseTimerId, kPauseIntervalMilliseconds, nullptr);
  while (pauseRunning_ && alive()) {
    if (!handleOneMessage(window_)) break;
  }
  pauseRunning_ = false;
}

LRESULT CALLBACK InstallerWindow::windowProcedure(HWND window, UINT message, WPARAM wParam,
                                                  LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
    ::SetWindowLongPtrA(window, GWLP_USERDATA,
                        reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<InstallerWindow*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
  if (self && self->window_ == window) return self->handle(message, wParam, lParam);
  return ::DefWindowProcA(window, message, wParam, lParam);
}

LRESULT InstallerWindow::handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CLOSE:
      // The core decides: closing is refused while an install runs.
      if (events_) events_->onCloseRequested();
      return 0;
    case WM_TIMER:
      if (wParam == kPauseTimerId) {
        ::KillTimer(window_, kPauseTimerId);
        pauseRunning_ = false;
      }
      return 0;
    case WM_COMMAND:
      if (HIWORD(wParam) == BN_CLICKED && events_) {
        switch (LOWORD(wParam)) {
          case kInstallButtonId: events_->onInstallClick(); return 0;
          case kCancelButtonId: events_->onCancelClick(); return 0;
          case kDoneButtonId: events_->onDoneClick(); return 0;
          default: break;
        }
      }
      break;
    default:
      break;
  }
  return ::DefWindowProcA(window_, message, wParam, lParam);
}

}  // namespace saverkit::win32
