// The movie panel TFlashPanel, the player control's host: a window that paints nothing but its
// colour (white by design, black once a movie was stopped), covered by the player's own window
// while a movie plays. It lies inside the content panel, within its bevel.
#pragma once

#include "ui/win32/child_controls.h"

namespace saverkit::win32 {

class MoviePanel : public ChildControl {
 public:
  static constexpr const char* kClassName = "TFlashPanel";

  // Created hidden and white.
  void create(HWND parent, const Rect& bounds, int id);
  void setColor(COLORREF color);
  // Out of the layout and the tab order for good: the panel is being destroyed.
  void collapse();

 private:
  static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
};

}  // namespace saverkit::win32
