// The form base: what every top-level window of the program shares. Its class is registered
// with the button-face background and the arrow cursor, and one trampoline hands each message of
// the window to the object that created it, so a window's behaviour is a plain member function.
#pragma once

#include "platform/win32/windows_api.h"

namespace saverkit::win32 {

class FormWindow {
 public:
  FormWindow() = default;
  FormWindow(const FormWindow&) = delete;
  FormWindow& operator=(const FormWindow&) = delete;
  virtual ~FormWindow() = default;

  HWND handle() const { return window_; }
  bool alive() const { return window_ && ::IsWindow(window_); }
  // Moving a window never activates it: a window moved off the screen, or a hidden one, must not
  // take the focus (under Wine that also starts the input method and COM for nothing).
  void moveTo(int left, int top);
  // Centred with integer division, as every window of the program is.
  void centerOnScreen();

 protected:
  // Registers the class and creates the window, whose messages then reach handleMessage.
  void createForm(const char* className, DWORD extendedStyle, DWORD style, const RECT& bounds,
                  HWND owner);
  virtual LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  // After the window was destroyed: the object no longer answers for any handle.
  void forgetWindow() { window_ = nullptr; }

 private:
  static LRESULT CALLBACK trampoline(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  HWND window_ = nullptr;
};

// Registers a top-level window class of the program: button-face background, arrow cursor.
void registerFormClass(const char* className, WNDPROC procedure);

// Left and top that centre a window of this size on a screen of that size.
POINT centredPosition(int screenWidth, int screenHeight, int windowWidth, int windowHeight);

}  // namespace saverkit::win32
