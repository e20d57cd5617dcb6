// The child control wrappers; see the header.
#include "ui/win32/child_controls.h"

#include <commctrl.h>
#include <richedit.h>

namespace saverkit::win32 {

void ChildControl::create(HWND parent, const char* windowClass, const std::string& text,
                          DWORD style, const Rect& bounds, int id, HFONT font) {
  window_ = ::CreateWindowExA(0, windowClass, text.c_str(), WS_CHILD | style, bounds.left,
                              bounds.top, bounds.width, bounds.height, parent,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                              ::GetModuleHandleA(nullptr), nullptr);
  if (window_ && font) ::SendMessageA(window_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
}

void ChildControl::setVisible(bool visible) {
  if (window_) ::ShowWindow(window_, visible ? SW_SHOW : SW_HIDE);
}

bool ChildControl::visible() const { return window_ && ::IsWindowVisible(window_); }

void ChildControl::setEnabled(bool enabled) {
  if (window_) ::EnableWindow(window_, enabled);
}

void ChildControl::setCaption(const std::string& caption) {
  if (window_) ::SetWindowTextA(window_, caption.c_str());
}

void ChildControl::focus() {
  if (window_) ::SetFocus(window_);
}

void ChildControl::repaint() {
  if (window_) ::InvalidateRect(window_, nullptr, TRUE);
}

void ChildControl::place(const Rect& bounds, int offsetLeft, int offsetTop) {
  if (window_) {
    ::SetWindowPos(window_, nullptr, bounds.left + offsetLeft, bounds.top + offsetTop,
                   bounds.width, bounds.height, SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

void StatusLabel::showText(const std::string& text) {
  if (!window_) return;
  ::ShowWindow(window_, SW_SHOW);
  ::SetWindowTextA(window_, text.c_str());
  ::UpdateWindow(window_);
}

void ProgressBar::step() {
  if (window_) ::SendMessageA(window_, PBM_STEPIT, 0, 0);
}

void ProgressBar::setPosition(int position) {
  if (window_) ::SendMessageA(window_, PBM_SETPOS, static_cast<WPARAM>(position), 0);
}

void ProgressBar::setMaximum(int maximum) {
  if (window_) ::SendMessageA(window_, PBM_SETRANGE32, 0, maximum);
}

void LicenseBox::setText(const std::string& text) {
  if (!window_) return;
  // ST_DEFAULT takes rich text when the file is RTF and plain text otherwise.
  SETTEXTEX how{ST_DEFAULT, CP_ACP};
  ::SendMessageA(window_, EM_SETTEXTEX, reinterpret_cast<WPARAM>(&how),
                 reinterpret_cast<LPARAM>(text.c_str()));
  // The reader starts at the first line, not where loading left the caret.
  ::SendMessageA(window_, EM_SETSEL, 0, 0);
  ::SendMessageA(window_, WM_VSCROLL, SB_TOP, 0);
}

}  // namespace saverkit::win32
