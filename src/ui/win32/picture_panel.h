// The installer window's content panel: a sunken panel that paints the presentation picture
// stretched over itself. The movie panel lies inside it.
#pragma once

#include <string>

#include "platform/win32/unique_handle.h"
#include "ui/win32/child_controls.h"

namespace saverkit::win32 {

class PicturePanel : public ChildControl {
 public:
  void create(HWND parent, const Rect& bounds, int id, HFONT font);
  // False when the file cannot be read as a picture; the panel is then left empty.
  bool showPicture(const std::string& path);

 private:
  static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void paint();

  WNDPROC staticProcedure_ = nullptr;
  UniqueGdiObject picture_;
};

}  // namespace saverkit::win32
