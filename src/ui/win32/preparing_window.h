// The small "preparing" window: the application's main window, shown while the installer
// starts up and, in the movie fallback, while it installs.
#pragma once

#include <string>

#include "platform/win32/windows_api.h"

namespace saverkit::win32 {

class PreparingWindow {
 public:
  static constexpr const char* kClassName = "TpreparingInstallWnd";
  static constexpr int kClientWidth = 264;
  static constexpr int kClientHeight = 91;

  // Owned by the application window, so that the taskbar shows the application alone.
  void create(HFONT font, const std::string& label, HWND owner);
  HWND handle() const { return window_; }
  void setCaption(const std::string& caption);
  void setMessage(const std::string& text);
  void moveTo(int left, int top);
  // Centred with integer division, as the installer window is.
  void centerOnScreen();
  void repaint();

 private:
  static LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  HWND window_ = nullptr;
  HWND label_ = nullptr;
};

// Registers a top-level window class of the program: button-face background, arrow cursor.
void registerFormClass(const char* className, WNDPROC procedure);

// Left and top that centre a window of this size on a screen of that size.
POINT centredPosition(int screenWidth, int screenHeight, int windowWidth, int windowHeight);

}  // namespace saverkit::win32
