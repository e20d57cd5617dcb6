// The installer window TInstallerForm: its controls and its window procedure, which turns
// messages into calls of the core's InstallerEvents. Where things go is decided by the core's
// layout rules; this class only applies a WindowLayout.
#pragma once

#include <map>
#include <string>

#include "installer/layout_rules.h"
#include "installer/installer_view.h"
#include "platform/win32/unique_handle.h"
#include "platform/win32/windows_api.h"

namespace saverkit::win32 {

class InstallerWindow {
 public:
  static constexpr const char* kClassName = "TInstallerForm";
  static constexpr const char* kMoviePanelClass = "TFlashPanel";

  // Creates the window hidden, with its controls at their design positions; the caller shows it.
  void create(InstallerEvents& events, HFONT font, const std::string& cancelCaption,
              const std::string& closeCaption, const std::string& installCaption, HWND owner);
  HWND handle() const { return window_; }
  bool alive() const { return window_ && ::IsWindow(window_); }
  void show();
  void destroy();
  HWND control(Control which) const;
  HWND progressBar() const { return progress_; }
  void applyLayout(const WindowLayout& layout);
  // The outer width alone, before any layout is applied.
  void setWidth(int width);
  void setLicenseText(const std::string& text);
  bool showPicture(const std::string& path);
  HWND moviePanel() const { return moviePanel_; }
  void setMoviePanelColor(COLORREF color);
  void collapseMoviePanel();
  void centerOnScreen();
  // One 100 ms timer interval of message handling.
  void pauseBriefly();

 private:
  static LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK moviePanelProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK contentProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
  HWND addControl(const char* windowClass, const std::string& text, DWORD style, const Rect& bounds,
                  int id, HFONT font);
  void paintPicture(HWND panel);
  void place(HWND control, const Rect& bounds, int offsetLeft, int offsetTop);
  void placeControls(const WindowLayout& layout);

  InstallerEvents* events_ = nullptr;
  HWND window_ = nullptr;
  HWND content_ = nullptr;
  HWND moviePanel_ = nullptr;
  HWND progress_ = nullptr;
  std::map<Control, HWND> controls_;
  WNDPROC staticProcedure_ = nullptr;
  UniqueGdiObject picture_;
  WindowLayout layout_;
  bool pauseRunning_ = false;
  bool applyingLayout_ = false;
};

}  // namespace saverkit::win32
