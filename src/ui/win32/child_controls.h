// Small wrappers over the installer window's child controls, so that the view says
// progress.step() rather than sending messages to raw handles. Every operation on a control that
// was never created (or is gone with its window) does nothing, as the core expects of a window
// that a startup left half made.
#pragma once

#include <string>

#include "installer/layout_rules.h"
#include "platform/win32/windows_api.h"

namespace saverkit::win32 {

class ChildControl {
 public:
  void create(HWND parent, const char* windowClass, const std::string& text, DWORD style,
              const Rect& bounds, int id, HFONT font);
  HWND handle() const { return window_; }
  void setVisible(bool visible);
  bool visible() const;
  void setEnabled(bool enabled);
  void setCaption(const std::string& caption);
  void focus();
  void repaint();
  // At `bounds` moved by the offset of the panel it is laid out in.
  void place(const Rect& bounds, int offsetLeft = 0, int offsetTop = 0);
  void forget() { window_ = nullptr; }

 protected:
  HWND window_ = nullptr;
};

class StatusLabel : public ChildControl {
 public:
  // Shown, and drawn at once: the label reports progress while the message loop is busy.
  void showText(const std::string& text);
};

class ProgressBar : public ChildControl {
 public:
  void step();
  void setPosition(int position);
  void setMaximum(int maximum);
};

class LicenseBox : public ChildControl {
 public:
  // Rich text when the text is RTF, plain text otherwise, shown from its first line.
  void setText(const std::string& text);
};

}  // namespace saverkit::win32
