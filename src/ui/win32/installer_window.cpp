// The installer window; see the header.
#include "ui/win32/installer_window.h"

#include <commctrl.h>
#include <richedit.h>

#include "platform/win32/system_library.h"
#include "ui/win32/message_pump.h"
#include "ui/win32/picture_loader.h"
#include "ui/win32/preparing_window.h"

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
constexpr int kDesignLeft = 1;
constexpr int kDesignTop = 1;
constexpr int kDesignWidth = 1358;
constexpr int kDesignHeight = 736;

SIZE outerSize(DWORD style, int clientWidth, int clientHeight) {
  RECT frame{0, 0, clientWidth, clientHeight};
  ::AdjustWindowRectEx(&frame, style, FALSE, kExtendedStyle);
  return SIZE{frame.right - frame.left, frame.bottom - frame.top};
}

}  // namespace

HWND InstallerWindow::addControl(const char* windowClass, const std::string& text, DWORD style,
                                 const Rect& bounds, int id, HFONT font) {
  HWND child = ::CreateWindowExA(0, windowClass, text.c_str(), WS_CHILD | style, bounds.left,
                                 bounds.top, bounds.width, bounds.height, window_,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                 ::GetModuleHandleA(nullptr), nullptr);
  ::SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return child;
}

void InstallerWindow::create(InstallerEvents& events, HFONT font, const std::string& cancelCaption,
                             const std::string& closeCaption, const std::string& installCaption,
                             HWND owner) {
  events_ = &events;
  systemLibrary("riched20.dll");  // registers the rich-text box class
  registerFormClass(kClassName, windowProcedure);

  // The design place and size; the startup narrows it at once and lays it out later, so a
  // startup that stops early leaves the window as far as it got.
  window_ = ::CreateWindowExA(kExtendedStyle, kClassName, "", kFixedStyle, kDesignLeft, kDesignTop,
                              kDesignWidth, kDesignHeight, owner, nullptr,
                              ::GetModuleHandleA(nullptr), this);
  content_ = addControl("STATIC", "", WS_VISIBLE | SS_SUNKEN | SS_NOTIFY | WS_CLIPCHILDREN, layout_.contentPanel,
                        kContentPanelId, font);
  ::SetWindowLongPtrA(content_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  staticProcedure_ = reinterpret_cast<WNDPROC>(::SetWindowLongPtrA(
      content_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(contentProcedure)));
  // The movie's host, white and hidden until a movie plays in it; pictures use the content panel.
  WNDCLASSA movieClass{};
  movieClass.lpfnWndProc = moviePanelProcedure;
  movieClass.hInstance = ::GetModuleHandleA(nullptr);
  movieClass.lpszClassName = kMoviePanelClass;
  ::RegisterClassA(&movieClass);
  // Inside the content panel, within its bevel (see moviePanelWithin).
  const Rect inner = moviePanelWithin(layout_.contentPanel);
  moviePanel_ = ::CreateWindowExA(0, kMoviePanelClass, "", WS_CHILD | WS_CLIPCHILDREN | WS_TABSTOP, inner.left, inner.top,
                                  inner.width, inner.height, content_,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(kMoviePanelId)),
                                  ::GetModuleHandleA(nullptr), nullptr);
  setMoviePanelColor(RGB(255, 255, 255));
  controls_[Control::kLicenseBox] = addControl(
      RICHEDIT_CLASSA, "", WS_VSCROLL | WS_BORDER | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL,
      layout_.licenseBox, kLicenseBoxId, font);
  controls_[Control::kStatusLabel] =
      addControl("STATIC", "", SS_LEFT | SS_NOPREFIX, {}, kStatusLabelId, font);
  progress_ = addControl(PROGRESS_CLASSA, "", WS_VISIBLE, {}, kProgressBarId, font);
  ::SendMessageA(progress_, PBM_SETRANGE32, 0, 100);
  ::SendMessageA(progress_, PBM_SETSTEP, 1, 0);
  controls_[Control::kCancelButton] = addControl(
      "BUTTON", cancelCaption, WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, {}, kCancelButtonId, font);
  controls_[Control::kInstallButton] = addControl(
      "BUTTON", installCaption, WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, {}, kInstallButtonId, font);
  controls_[Control::kDoneButton] =
      addControl("BUTTON", closeCaption, WS_TABSTOP | BS_PUSHBUTTON, {}, kDoneButtonId, font);
  placeButtons(layout_);
  placeControls(layout_);
}

void InstallerWindow::setWidth(int width) {
  if (!alive()) return;
  RECT bounds;
  ::GetWindowRect(window_, &bounds);
  applyingLayout_ = true;
  ::SetWindowPos(window_, nullptr, 0, 0, width, bounds.bottom - bounds.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  applyingLayout_ = false;
}

void InstallerWindow::place(HWND control, const Rect& bounds, int offsetLeft, int offsetTop) {
  if (control) {
    ::SetWindowPos(control, nullptr, bounds.left + offsetLeft, bounds.top + offsetTop, bounds.width,
                   bounds.height, SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

void InstallerWindow::applyLayout(const WindowLayout& layout) {
  if (!alive()) return;
  applyingLayout_ = true;
  layout_ = layout;
  const DWORD style = layout.sizeable ? kSizeableStyle : kFixedStyle;
  ::SetWindowLongPtrA(window_, GWL_STYLE,
                      (::GetWindowLongPtrA(window_, GWL_STYLE) & ~(kSizeableStyle)) | style);
  const SIZE size = outerSize(style, layout.clientWidth, layout.clientHeight);
  ::SetWindowPos(window_, nullptr, 0, 0, kWindowWidth, size.cy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  RECT client;
  ::GetClientRect(window_, &client);
  layout_.clientWidth = client.right;
  layout_.clientHeight = client.bottom;
  placeControls(layout);
  applyingLayout_ = false;
  ::RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void InstallerWindow::placeControls(const WindowLayout& layout) {
  place(content_, layout.contentPanel, 0, 0);
  place(moviePanel_, moviePanelWithin(layout.contentPanel), 0, 0);
  place(control(Control::kLicenseBox), layout.licenseBox, 0, 0);
  ::ShowWindow(control(Control::kLicenseBox), layout.licenseVisible ? SW_SHOW : SW_HIDE);
  const Rect& panel = layout.buttonPanel;
  place(control(Control::kStatusLabel), layout.statusLabel, panel.left, panel.top);
  place(progress_, layout.progressBar, panel.left, panel.top);
  place(control(Control::kInstallButton), layout.installButton, panel.left, panel.top);
  place(control(Control::kCancelButton), layout.cancelButton, panel.left, panel.top);
  place(control(Control::kDoneButton), layout.doneButton, panel.left, panel.top);
}

void InstallerWindow::setLicenseText(const std::string& text) {
  HWND box = control(Control::kLicenseBox);
  if (!box) return;
  // ST_DEFAULT takes rich text when the file is RTF and plain text otherwise.
  SETTEXTEX how{ST_DEFAULT, CP_ACP};
  ::SendMessageA(box, EM_SETTEXTEX, reinterpret_cast<WPARAM>(&how),
                 reinterpret_cast<LPARAM>(text.c_str()));
  // The reader starts at the first line, not where loading left the caret.
  ::SendMessageA(box, EM_SETSEL, 0, 0);
  ::SendMessageA(box, WM_VSCROLL, SB_TOP, 0);
}

bool InstallerWindow::showPicture(const std::string& path) {
  if (moviePanel_) ::ShowWindow(moviePanel_, SW_HIDE);
  picture_ = loadPicture(path);
  if (content_) ::InvalidateRect(content_, nullptr, TRUE);
  return static_cast<bool>(picture_);
}

void InstallerWindow::setMoviePanelColor(COLORREF color) {
  if (!moviePanel_) return;
  ::SetWindowLongPtrA(moviePanel_, GWLP_USERDATA, static_cast<LONG_PTR>(color));
  ::InvalidateRect(moviePanel_, nullptr, TRUE);
}

void InstallerWindow::collapseMoviePanel() {
  if (!moviePanel_) return;
  ::SetWindowLongPtrA(moviePanel_, GWL_STYLE, ::GetWindowLongPtrA(moviePanel_, GWL_STYLE) & ~WS_TABSTOP);
  ::SetWindowPos(moviePanel_, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void InstallerWindow::paintPicture(HWND panel) {
  PAINTSTRUCT paint;
  HDC target = ::BeginPaint(panel, &paint);
  RECT area;
  ::GetClientRect(panel, &area);
  ::FillRect(target, &area, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
  if (picture_) {
    BITMAP info{};
    ::GetObjectA(picture_.get(), sizeof info, &info);
    HDC source = ::CreateCompatibleDC(target);
    HGDIOBJ previous = ::SelectObject(source, picture_.get());
    ::SetStretchBltMode(target, HALFTONE);
    ::StretchBlt(target, 0, 0, area.right, area.bottom, source, 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
    ::SelectObject(source, previous);
    ::DeleteDC(source);
  }
  ::EndPaint(panel, &paint);
}

void InstallerWindow::centerOnScreen() {
  if (!alive()) return;
  RECT bounds;
  ::GetWindowRect(window_, &bounds);
  const POINT position =
      centredPosition(::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN),
                      bounds.right - bounds.left, bounds.bottom - bounds.top);
  ::SetWindowPos(window_, nullptr, position.x, position.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

void InstallerWindow::show() {
  if (!alive()) return;
  ::ShowWindow(window_, SW_SHOWNORMAL);
  ::UpdateWindow(window_);
  if (events_) events_->onFormShow();
}

void InstallerWindow::destroy() {
  if (alive()) ::DestroyWindow(window_);
  window_ = nullptr;
  content_ = nullptr;
  moviePanel_ = nullptr;
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

// The movie panel paints nothing but its colour; the player's window covers it while it plays.
LRESULT CALLBACK InstallerWindow::moviePanelProcedure(HWND window, UINT message, WPARAM wParam,
                                                      LPARAM lParam) {
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

LRESULT CALLBACK InstallerWindow::contentProcedure(HWND window, UINT message, WPARAM wParam,
                                                   LPARAM lParam) {
  auto* self = reinterpret_cast<InstallerWindow*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
  if (message == WM_PAINT && self) {
    self->paintPicture(window);
    return 0;
  }
  return ::CallWindowProcA(self->staticProcedure_, window, message, wParam, lParam);
}

LRESULT CALLBACK InstallerWindow::windowProcedure(HWND window, UINT message, WPARAM wParam,
                                                  LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
    ::SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<InstallerWindow*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
  if (self && self->window_ == window) return self->handle(message, wParam, lParam);
  return ::DefWindowProcA(window, message, wParam, lParam);
}

LRESULT InstallerWindow::handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SETCURSOR:
      if (showBusyCursor()) return TRUE;
      break;
    case WM_CLOSE:
      // The core decides: closing is refused while an install runs.
      if (events_) events_->onCloseRequested();
      return 0;
    case WM_SIZE:
      if (!applyingLayout_ && events_ && wParam != SIZE_MINIMIZED) {
        events_->onResize(LOWORD(lParam), HIWORD(lParam));
      }
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
