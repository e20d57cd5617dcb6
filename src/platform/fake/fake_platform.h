// In-memory fakes of the platform interfaces for native tests. Each records what the core asked
// of it, so tests assert on exact texts, orders and bytes, and each can be scripted: answers to
// questions, windows that exist, failures to inject.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "installer/installer_view.h"
#include "platform/fake/fake_file_system.h"
#include "platform/fake/fake_system.h"
#include "platform/platform.h"

namespace saverkit::fake {

class FakeTextSource : public TextSource {
 public:
  std::string text(TextId id) const override;
  std::string systemErrorText(int code) const override;
  // The fake's code page is Latin-1.
  std::string toUtf8(const std::string& ansi) const override;
  // A translated string table: these words replace the built-in ones.
  std::map<TextId, std::string> translations;
  std::map<int, std::string> systemTexts;
};

class FakeClock : public Clock {
 public:
  void sleepMilliseconds(std::uint32_t milliseconds) override;
  std::uint64_t nowMilliseconds() const override { return now; }
  std::uint64_t now = 0;
  std::uint64_t sleeps = 0;
};

class FakeProcessEnvironment : public ProcessEnvironment {
 public:
  std::vector<std::string> commandLineParameters() const override { return parameters; }
  std::string modulePath() const override { return path; }
  std::optional<std::string> environmentVariable(const std::string& name) const override;
  std::vector<std::string> parameters;
  std::string path = "C:\\Downloads\\Ocean Installer.exe";
  std::map<std::string, std::string> environment;
};

struct CopyDataRecord {
  WindowHandle target;
  WindowHandle sender;
  std::uint32_t tag;
  std::string data;
};

struct PostedMessage {
  WindowHandle target;
  std::uint32_t message;
  std::uint32_t wParam;
  std::uint32_t lParam;
};

class FakeWindowMessaging : public WindowMessaging {
 public:
  bool sendCopyData(WindowHandle target, WindowHandle sender, std::uint32_t tag,
                    const std::string& data) override;
  bool postMessage(WindowHandle target, std::uint32_t message, std::uint32_t wParam,
                   std::uint32_t lParam) override;
  WindowHandle findTopLevelWindow(const std::string& title) override;
  void clickDialogControl(WindowHandle dialog, int controlId) override;

  // Windows that exist; messages to any other handle fail without effect.
  std::map<WindowHandle, std::string> windows;
  std::vector<CopyDataRecord> sent;
  std::vector<PostedMessage> posted;
  std::vector<std::pair<WindowHandle, int>> clicks;
  // Everything in order, as "copydata <target> <text>" / "post <target> <message>" lines.
  std::vector<std::string> log;
};

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

  void createPreparingWindow() override;
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

// All fakes of one test, wired into a Platform.
struct FakePlatform {
  FakeTextSource texts;
  FakeWindowMessaging messaging;
  FakeClock clock;
  FakeProcessEnvironment process;
  FakeInstallerView view;
  FakeFileSystem files;
  FakeSystemInfo system;
  FakeRegistry registry;
  FakeShell shell;
  FakeLibraryLoader libraries;
  FakePlayerControl player;
  Platform platform{texts,  messaging, clock,    process, view,
                    files,  system,    registry, shell,   libraries, player};
};

}  // namespace saverkit::fake
