// The installer window TInstallerForm: its controls and the messages that become calls of the
// core's InstallerEvents. Where things go is decided by the core's layout rules; this class only
// applies a WindowLayout to its panels and controls.
#pragma once

#include <string>

#include "installer/installer_view.h"
#include "installer/layout_rules.h"
#include "ui/win32/child_controls.h"
#include "ui/win32/form_window.h"
#include "ui/win32/movie_panel.h"
#include "ui/win32/picture_panel.h"

namespace saverkit::win32 {

class InstallerWindow : public FormWindow {
 public:
  static constexpr const char* kClassName = "TInstallerForm";

  // Creates the window hidden, with its controls at their design positions; the caller shows it.
  void create(InstallerEvents& events, HFONT font, const std::string& cancelCaption,
              const std::string& closeCaption, const std::string& installCaption, HWND owner);
  void show();
  void destroy();
  ChildControl& control(Control which);
  StatusLabel& statusLabel() { return status_; }
  ProgressBar& progressBar() { return progress_; }
  // Made on first use.
  LicenseBox& licenseBox();
  PicturePanel& picturePanel() { return content_; }
  MoviePanel& moviePanel() { return movie_; }
  const MoviePanel& moviePanel() const { return movie_; }
  void applyLayout(const WindowLayout& layout);
  // The outer width alone, before any layout is applied.
  void setWidth(int width);
  // One 100 ms timer interval of message handling.
  void pauseBriefly();

 private:
  LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void placeControls(const WindowLayout& layout);

  InstallerEvents* events_ = nullptr;
  HFONT font_ = nullptr;
  PicturePanel content_;
  MoviePanel movie_;
  LicenseBox license_;
  StatusLabel status_;
  ProgressBar progress_;
  ChildControl install_;
  ChildControl cancel_;
  ChildControl done_;
  WindowLayout layout_;
  bool pauseRunning_ = false;
  bool applyingLayout_ = false;
};

}  // namespace saverkit::win32
