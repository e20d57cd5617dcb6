// The installer's view as an in-memory fake for native tests: it records every call in order and
// answers the questions from a script, so the whole startup sequence and install procedure run
// natively with every dialog and text checked. It lives with the installer, whose interface it
// implements, not with the platform fakes below.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "installer/installer_view.h"

namespace saverkit::fake {

struct DialogRecord {
  DialogKind kind;
  std::string text;
};

class FakeInstallerView : public InstallerView {
 public:
  void setApplicationTitle(const std::string& title) override;
  std::string applicationTitle() const override { return appTitle; }
  void processPendingMessages() override;
  void runMessageLoop() override;
  void terminateApplication() override;
  void bringApplicationToFront() override;
  void showHourglassCursor(bool on) override;
  bool applicationActive() const override { return active; }
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
  void setInstallerWidth(int width) override { log.push_back("installer width: " + std::to_string(width)); }
  std::string installerCaption() const override { return caption; }
  void showStatusText(const std::string& text) override;
  void stepProgressBar() override;
  void setProgressPosition(int position) override;
  void setProgressMaximum(int maximum) override;
  void setControlVisible(Control control, bool visible) override;
  void setControlEnabled(Control control, bool enabled) override;
  void setControlCaption(Control control, const std::string& text) override;
  void focusControl(Control control) override;
  void repaintInstaller() override;
  void applyLayout(const WindowLayout& layout) override;
  void setLicenseText(const std::string& text) override;
  bool showPicture(const std::string& path) override;
  void centerInstallerOnScreen() override;
  void pauseBriefly() override;

  WindowHandle moviePanelHandle() const override { return kMoviePanel; }
  void setMoviePanelVisible(bool visible) override;
  bool moviePanelVisible() const override { return movieVisible; }
  void repaintMoviePanel() override { log.push_back("movie panel: repainted"); }
  void focusMoviePanel() override { log.push_back("movie panel: focused"); }
  void setMoviePanelColor(std::uint32_t rgb) override;
  void collapseMoviePanel() override { log.push_back("movie panel: collapsed"); }

  bool showDialog(DialogKind kind, const std::string& text) override;
  void showErrorReport(const std::string& text) override;

  // Answers to the questions, in order; when none is left, `defaultAnswer`.
  std::deque<bool> answers;
  bool defaultAnswer = true;
  // User actions the message loop and the pauses deliver, one per pump, in order.
  std::deque<std::function<void()>> userActions;

  std::vector<std::string> log;
  std::vector<DialogRecord> dialogs;
  std::vector<std::string> errorReports;
  std::string appTitle;
  std::string preparingCaption;
  std::string preparingMessage;
  std::string caption;
  std::string statusText;
  bool statusVisible = false;
  int progress = 0;
  int progressMaximum = 100;
  bool installerCreated = false;
  bool installerShown = false;
  bool installerDestroyed = false;
  bool terminated = false;
  std::map<Control, bool> visible;
  std::map<Control, bool> enabled;
  std::map<Control, std::string> captions;
  WindowHandle handle = 0x1234;
  WindowLayout layout;
  int layoutsApplied = 0;
  std::string licenseText;
  std::string picture;
  std::set<std::string> unreadablePictures;
  static constexpr WindowHandle kMoviePanel = 0x77;
  bool movieVisible = false;
  std::uint32_t movieColor = 0xFFFFFF;
  bool active = true;

 private:
  void deliverOneUserAction();
  InstallerEvents* events_ = nullptr;
};

}  // namespace saverkit::fake
