// The small "preparing" window: the application's main window, shown while the installer
// starts up and, in the movie fallback, while it installs.
#pragma once

#include <string>

#include "ui/win32/form_window.h"

namespace saverkit::win32 {

class PreparingWindow : public FormWindow {
 public:
  static constexpr const char* kClassName = "TpreparingInstallWnd";
  static constexpr int kClientWidth = 264;
  static constexpr int kClientHeight = 91;

  // Owned by the application window, so that the taskbar shows the application alone.
  void create(HFONT font, const std::string& label, HWND owner, bool shown);
  void setCaption(const std::string& caption);
  void setMessage(const std::string& text);
  void repaint();

 private:
  LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  HWND label_ = nullptr;
};

}  // namespace saverkit::win32
