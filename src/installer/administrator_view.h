// The administrator's switches: "/suppressmsgboxes" answers every box with its default button
// without showing it, so that an unattended install never waits for a click, and "/log=FILE"
// writes every box, status text and outcome to a UTF-8 log. Both wrap the real view: what the
// installer shows, and in which order, is the same with or without them.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "installer/installer_view.h"
#include "platform/platform.h"

namespace saverkit {

struct AdministratorSwitches {
  bool suppressBoxes = false;
  std::string logPath;  // empty: no log
  bool any() const { return suppressBoxes || !logPath.empty(); }
};

// From the command line; parameters are compared without regard to letter case, as "/q" is.
AdministratorSwitches readAdministratorSwitches(const std::vector<std::string>& parameters);

class AdministratorView : public InstallerView {
 public:
  // Creates the log as a new file (an older one is replaced), relative to a hold on its folder
  // (FileSystem::holdFolderWithoutLinks). A log that cannot be created is left out, and so is
  // one whose path goes through a link: the install runs without a log.
  AdministratorView(InstallerView& inner, FileSystem& files, const TextSource& texts,
                    const AdministratorSwitches& switches);
  ~AdministratorView() override;
  AdministratorView(const AdministratorView&) = delete;
  AdministratorView& operator=(const AdministratorView&) = delete;

  bool showDialog(DialogKind kind, const std::string& text) override;
  void showErrorReport(const std::string& text) override;
  void showStatusText(const std::string& text) override;
  void setPreparingMessage(const std::string& text) override;
  void logLine(const std::string& line) override;

  void setApplicationTitle(const std::string& title) override { inner_.setApplicationTitle(title); }
  std::string applicationTitle() const override { return inner_.applicationTitle(); }
  void processPendingMessages() override { inner_.processPendingMessages(); }
  void runMessageLoop() override { inner_.runMessageLoop(); }
  void terminateApplication() override { inner_.terminateApplication(); }
  void bringApplicationToFront() override { inner_.bringApplicationToFront(); }
  void showHourglassCursor(bool on) override { inner_.showHourglassCursor(on); }
  bool applicationActive() const override { return inner_.applicationActive(); }
  void handleOneMessage() override { inner_.handleOneMessage(); }
  void createPreparingWindow(bool shown) override { inner_.createPreparingWindow(shown); }
  void setPreparingCaption(const std::string& caption) override { inner_.setPreparingCaption(caption); }
  void movePreparingOffScreen() override { inner_.movePreparingOffScreen(); }
  void centerPreparingOnScreen() override { inner_.centerPreparingOnScreen(); }
  void repaintPreparing() override { inner_.repaintPreparing(); }
  void createInstallerWindow(InstallerEvents& events) override { inner_.createInstallerWindow(events); }
  WindowHandle installerWindowHandle() const override { return inner_.installerWindowHandle(); }
  void destroyInstallerWindow() override { inner_.destroyInstallerWindow(); }
  void setInstallerCaption(const std::string& caption) override { inner_.setInstallerCaption(caption); }
  void setInstallerWidth(int width) override { inner_.setInstallerWidth(width); }
  std::string installerCaption() const override { return inner_.installerCaption(); }
  void stepProgressBar() override { inner_.stepProgressBar(); }
  void setProgressPosition(int position) override { inner_.setProgressPosition(position); }
  void setProgressMaximum(int maximum) override { inner_.setProgressMaximum(maximum); }
  void setControlVisible(Control control, bool visible) override {
    inner_.setControlVisible(control, visible);
  }
  void setControlEnabled(Control control, bool enabled) override {
    inner_.setControlEnabled(control, enabled);
  }
  void setControlCaption(Control control, const std::string& caption) override {
    inner_.setControlCaption(control, caption);
  }
  void focusControl(Control control) override { inner_.focusControl(control); }
  void repaintInstaller() override { inner_.repaintInstaller(); }
  void applyLayout(const WindowLayout& layout) override { inner_.applyLayout(layout); }
  void setLicenseText(const std::string& text) override { inner_.setLicenseText(text); }
  bool showPicture(const std::string& path) override { return inner_.showPicture(path); }
  void centerInstallerOnScreen() override { inner_.centerInstallerOnScreen(); }
  WindowHandle moviePanelHandle() const override { return inner_.moviePanelHandle(); }
  void setMoviePanelVisible(bool visible) override { inner_.setMoviePanelVisible(visible); }
  bool moviePanelVisible() const override { return inner_.moviePanelVisible(); }
  void repaintMoviePanel() override { inner_.repaintMoviePanel(); }
  void focusMoviePanel() override { inner_.focusMoviePanel(); }
  void setMoviePanelColor(std::uint32_t rgb) override { inner_.setMoviePanelColor(rgb); }
  void collapseMoviePanel() override { inner_.collapseMoviePanel(); }
  void pauseBriefly() override { inner_.pauseBriefly(); }

 private:
  InstallerView& inner_;
  const TextSource& texts_;
  bool suppressBoxes_;
  std::unique_ptr<WritableFile> log_;
};

}  // namespace saverkit
