// The installer window TInstallerForm: its controls and its window procedure, which turns
// messages into calls of the core's InstallerEvents. Layout decisions live in the core.
#pragma once

#include <map>
#include <string>

#include "platform/installer_view.h"
#include "platform/win32/windows_api.h"

namespace saverkit::win32 {

class InstallerWindow {
 public:
  static constexpr const char* kClassName = "TInstallerForm";
  static constexpr int kWidth = 490;

  // Creates the window hidden, with its controls; the caller shows it.
  void create(InstallerEvents& events, HFONT font, const std::string& cancelCaption,
              const std::string& closeCaption, const std::string& installCaption);
  HWND handle() const { return window_; }
  bool alive() const { return window_ && ::IsWindow(window_); }
  void show();
  void destroy();
  HWND control(Control which) const;
  HWND progressBar() const { return progress_; }
  // One 100 ms timer interval of message handling.
  void pauseBriefly();

 private:
  static LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
  HWND addControl(const char* windowClass, const std::string& text, DWORD style, RECT bounds,
                  int id, HFONT font);

  InstallerEvents* events_ = nullptr;
  HWND window_ = nullptr;
  HWND progress_ = nullptr;
  std::map<Control, HWND> controls_;
  bool pauseRunning_ = false;
};

}  // namespace saverkit::win32
