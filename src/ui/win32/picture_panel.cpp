// The picture panel; see the header.
#include "ui/win32/picture_panel.h"

#include "ui/win32/picture_loader.h"

namespace saverkit::win32 {

void PicturePanel::create(HWND parent, const Rect& bounds, int id, HFONT font) {
  ChildControl::create(parent, "STATIC", "", WS_VISIBLE | SS_SUNKEN | SS_NOTIFY | WS_CLIPCHILDREN,
                       bounds, id, font);
  if (!window_) return;
  // A static control draws the bevel; the picture is painted by this panel in its place.
  ::SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  staticProcedure_ = reinterpret_cast<WNDPROC>(
      ::SetWindowLongPtrA(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(procedure)));
}

bool PicturePanel::showPicture(const std::string& path) {
  picture_ = loadPicture(path);
  repaint();
  return static_cast<bool>(picture_);
}

void PicturePanel::paint() {
  PAINTSTRUCT paint;
  HDC target = ::BeginPaint(window_, &paint);
  RECT area;
  ::GetClientRect(window_, &area);
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
  ::EndPaint(window_, &paint);
}

LRESULT CALLBACK PicturePanel::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<PicturePanel*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
  if (!self) return ::DefWindowProcA(window, message, wParam, lParam);
  if (message == WM_PAINT) {
    self->paint();
    return 0;
  }
  return ::CallWindowProcA(self->staticProcedure_, window, message, wParam, lParam);
}

}  // namespace saverkit::win32
