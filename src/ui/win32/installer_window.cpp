// The installer window; see the header.
#include "ui/win32/installer_window.h"

#include <commctrl.h>
#include <richedit.h>

#include "platform/win32/system_library.h"
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
  kLicenseBoxId = 107,
  kMoviePanelId = 108,
};
constexpr UINT_PTR kPauseTimerId = 1;
constexpr UINT kPauseIntervalMilliseconds = 100;
constexpr DWORD kFixedStyle = WS_CAPTION | WS_SYSMENU;
constexpr DWORD kSizeableStyle = WS_CAPTION | WS_SYSMENU | WS_THICKFRAME;
constexpr DWORD kExtendedStyle = WS_EX_TOPMOST;
// The design place and size; the startup narrows it at once and lays it out later, so a startup
// that stops early leaves the window as far as it got.
constexpr RECT kDesignBounds{1, 1, 1 + 1358, 1 + 736};

SIZE outerSize(DWORD style, int clientWidth, int clientHeight) {
  RECT frame{0, 0, clientWidth, clientHeight};
  ::AdjustWindowRectEx(&frame, style, FALSE, kExtendedStyle);
  return SIZE{frame.right - frame.left, frame.bottom - frame.top};
}

}  // namespace

void InstallerWindow::create(InstallerEvents& events, HFONT font, const std::string& cancelCaption,
                             const std::string& closeCaption, const std::string& installCaption,
                             HWND owner) {
  font_ = font;
  createForm(kClassName, kExtendedStyle, kFixedStyle, kDesignBounds, owner);
  // The core hears of the window from here on: the sizes of its creation are not a resize.
  events_ = &events;
  HWND window = handle();
  content_.create(window, layout_.contentPanel, kContentPanelId, font);
  movie_.create(content_.handle(), moviePanelWithin(layout_.contentPanel), kMoviePanelId);
  status_.create(window, "STATIC", "", SS_LEFT | SS_NOPREFIX, {}, kStatusLabelId, font);
  progress_.create(window, PROGRESS_CLASSA, "", WS_VISIBLE, {}, kProgressBarId, font);
  progress_.setMaximum(100);
  ::SendMessageA(progress_.handle(), PBM_SETSTEP, 1, 0);
  cancel_.create(window, "BUTTON", cancelCaption, WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, {}, kCancelButtonId, font);
  install_.create(window, "BUTTON", installCaption, WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, {}, kInstallButtonId, font);
  done_.create(window, "BUTTON", closeCaption, WS_TABSTOP | BS_PUSHBUTTON, {}, kDoneButtonId, font);
  placeButtons(layout_);
  placeControls(layout_);
}

ChildControl& InstallerWindow::control(Control which) {
  switch (which) {
    case Control::kInstallButton: return install_;
    case Control::kCancelButton: return cancel_;
    case Control::kDoneButton: return done_;
    case Control::kStatusLabel: return status_;
    case Control::kLicenseBox: return licenseBox();
  }
  return done_;
}

LicenseBox& InstallerWindow::licenseBox() {
  // Made when a licence is first shown: the rich-text library starts OLE as it loads, which
  // costs a quiet run or a package without a licence as much as the rest of its start.
  if (!license_.handle() && alive()) {
    systemLibrary("riched20.dll");  // registers the rich-text box class
    license_.create(handle(), RICHEDIT_CLASSA, "", WS_VSCROLL | WS_BORDER | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL,
                    layout_.licenseBox, kLicenseBoxId, font_);
  }
  return license_;
}

void InstallerWindow::setWidth(int width) {
  if (!alive()) return;
  RECT bounds;
  ::GetWindowRect(handle(), &bounds);
  applyingLayout_ = true;
  ::SetWindowPos(handle(), nullptr, 0, 0, width, bounds.bottom - bounds.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  applyingLayout_ = false;
}

void InstallerWindow::applyLayout(const WindowLayout& layout) {
  if (!alive()) return;
  applyingLayout_ = true;
  layout_ = layout;
  const DWORD style = layout.sizeable ? kSizeableStyle : kFixedStyle;
  ::SetWindowLongPtrA(handle(), GWL_STYLE, (::GetWindowLongPtrA(handle(), GWL_STYLE) & ~(kSizeableStyle)) | style);
  const SIZE size = outerSize(style, layout.clientWidth, layout.clientHeight);
  ::SetWindowPos(handle(), nullptr, 0, 0, kWindowWidth, size.cy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  RECT client;
  ::GetClientRect(handle(), &client);
  layout_.clientWidth = client.right;
  layout_.clientHeight = client.bottom;
  placeControls(layout);
  applyingLayout_ = false;
  ::RedrawWindow(handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void InstallerWindow::placeControls(const WindowLayout& layout) {
  content_.place(layout.contentPanel);
  movie_.place(moviePanelWithin(layout.contentPanel));
  if (layout.licenseVisible) licenseBox();
  license_.place(layout.licenseBox);
  license_.setVisible(layout.licenseVisible);
  const Rect& panel = layout.buttonPanel;
  status_.place(layout.statusLabel, panel.left, panel.top);
  progress_.place(layout.progressBar, panel.left, panel.top);
  install_.place(layout.installButton, panel.left, panel.top);
  cancel_.place(layout.cancelButton, panel.left, panel.top);
  done_.place(layout.doneButton, panel.left, panel.top);
}

void InstallerWindow::show() {
  if (!alive()) return;
  ::ShowWindow(handle(), SW_SHOWNORMAL);
  ::UpdateWindow(handle());
  if (events_) events_->onFormShow();
}

void InstallerWindow::destroy() {
  if (alive()) ::DestroyWindow(handle());
  forgetWindow();
  for (ChildControl* child : std::initializer_list<ChildControl*>{&content_, &movie_, &license_, &status_, &progress_,
                                                                  &install_, &cancel_, &done_}) {
    child->forget();
  }
}

void InstallerWindow::pauseBriefly() {
  if (!alive()) return;
  pauseRunning_ = true;
  ::SetTimer(handle(), kPauseTimerId, kPauseIntervalMilliseconds, nullptr);
  while (pauseRunning_ && alive()) {
    if (!handleOneMessage(handle())) break;
  }
  pauseRunning_ = false;
}

LRESULT InstallerWindow::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SETCURSOR:
      if (showBusyCursor()) return TRUE;
      break;
    case WM_CLOSE:
      // The core decides: closing is refused while an install runs.
      if (events_) events_->onCloseRequested();
      return 0;
    case WM_SIZE:
      if (!applyingLayout_ && events_ && wParam != SIZE_MINIMIZED) events_->onResize(LOWORD(lParam), HIWORD(lParam));
      return 0;
    case WM_GETMINMAXINFO: {
      auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
      if (layout_.minHeight > 0) limits->ptMinTrackSize.y = layout_.minHeight;
      if (layout_.minWidth > 0) limits->ptMinTrackSize.x = layout_.minWidth;
      if (layout_.maxWidth > 0) limits->ptMaxTrackSize.x = layout_.maxWidth;
      return 0;
    }
    case WM_WINDOWPOSCHANGING: {
      // The limits hold for every resize, not only for dragging the frame.
      auto* position = reinterpret_cast<WINDOWPOS*>(lParam);
      if (!applyingLayout_ && !(position->flags & SWP_NOSIZE)) {
        if (layout_.minHeight > 0 && position->cy < layout_.minHeight) position->cy = layout_.minHeight;
        if (layout_.minWidth > 0 && position->cx < layout_.minWidth) position->cx = layout_.minWidth;
        if (layout_.maxWidth > 0 && position->cx > layout_.maxWidth) position->cx = layout_.maxWidth;
      }
      break;
    }
    case WM_TIMER:
      if (wParam == kPauseTimerId) {
        ::KillTimer(handle(), kPauseTimerId);
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
  return FormWindow::handleMessage(message, wParam, lParam);
}

}  // namespace saverkit::win32
