// The Win32 view: the preparing window, the installer window and the dialogs behind the
// core's InstallerView.
#pragma once

#include "installer/installer_view.h"
#include "platform/text_source.h"
#include "platform/win32/unique_handle.h"
#include "ui/win32/installer_window.h"
#include "ui/win32/preparing_window.h"

namespace saverkit::win32 {

class Win32InstallerView : public InstallerView {
 public:
  explicit Win32InstallerView(const TextSource& texts);

  ~Win32InstallerView() override;
  void setApplicationTitle(const std::string& title) override;
  std::string applicationTitle() const override { return applicationTitle_; }
  void processPendingMessages() override;
  void runMessageLoop() override;
  void terminateApplication() override;
  void bringApplicationToFront() override;
  void showHourglassCursor(bool on) override;
  bool applicationActive() const override;
  void handleOneMessage() override;

  void createPreparingWindow(bool shown) override;
  void setPreparingCaption(const std::string& caption) override;
  void setPreparingMessage(const std::string& text) override;
  void movePreparingOffScreen() override;
  void centerPreparingOnScreen() override;
  void repaintPreparing() override;

  void createInstallerWindow(InstallerEvents& events) override;
  WindowHandle installerWindowHandle() const override;
  void destroyInstallerWindow() override;
  void setInstallerCaption(const std::string& caption) override;
  void setInstallerWidth(int width) override { installer_.setWidth(width); }
  std::string installerCaption() const override;
  void showStatusText(const std::string& text) override;
  void stepProgressBar() override;
  void setProgressPosition(int position) override;
  void setProgressMaximum(int maximum) override;
  void setControlVisible(Control control, bool visible) override;
  void setControlEnabled(Control control, bool enabled) override;
  void setControlCaption(Control control, const std::string& caption) override;
  void focusControl(Control control) override;
  void repaintInstaller() override;
  void applyLayout(const WindowLayout& layout) override { installer_.applyLayout(layout); }
  void setLicenseText(const std::string& text) override { installer_.licenseBox().setText(text); }
  bool showPicture(const std::string& path) override;
  void centerInstallerOnScreen() override { installer_.centerOnScreen(); }
  void pauseBriefly() override;

  WindowHandle moviePanelHandle() const override;
  void setMoviePanelVisible(bool visible) override;
  bool moviePanelVisible() const override;
  void repaintMoviePanel() override;
  void focusMoviePanel() override;
  void setMoviePanelColor(std::uint32_t rgb) override;
  void collapseMoviePanel() override { installer_.moviePanel().collapse(); }

  bool showDialog(DialogKind kind, const std::string& text) override;
  void showErrorReport(const std::string& text) override;

 private:
  HWND dialogOwner() const;
  HWND frontWindow() const;

  const TextSource& texts_;
  UniqueGdiObject font_;
  static constexpr const char* kApplicationClass = "TApplication";
  std::string applicationTitle_;
  HWND application_ = nullptr;
  PreparingWindow preparing_;
  InstallerWindow installer_;
  bool terminated_ = false;
};

}  // namespace saverkit::win32
