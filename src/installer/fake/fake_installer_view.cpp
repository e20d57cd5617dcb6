// The fake view; see the header.
#include "installer/fake/fake_installer_view.h"

namespace saverkit::fake {

void FakeInstallerView::setApplicationTitle(const std::string& title) {
  appTitle = title;
  log.push_back("app title: " + title);
}

void FakeInstallerView::deliverOneUserAction() {
  if (userActions.empty()) return;
  auto action = std::move(userActions.front());
  userActions.pop_front();
  action();
}

void FakeInstallerView::processPendingMessages() { log.push_back("process messages"); }

void FakeInstallerView::runMessageLoop() {
  log.push_back("message loop");
  while (!terminated && !userActions.empty()) deliverOneUserAction();
}

void FakeInstallerView::terminateApplication() {
  terminated = true;
  log.push_back("terminate");
}

void FakeInstallerView::bringApplicationToFront() { log.push_back("to front"); }

void FakeInstallerView::showHourglassCursor(bool on) {
  log.push_back(on ? "cursor: hourglass" : "cursor: restored");
}

void FakeInstallerView::createPreparingWindow(bool shown) {
  log.push_back(shown ? "preparing: created" : "preparing: created hidden");
}

void FakeInstallerView::setPreparingCaption(const std::string& text) {
  preparingCaption = text;
  log.push_back("preparing caption: " + text);
}

void FakeInstallerView::setPreparingMessage(const std::string& text) {
  preparingMessage = text;
  log.push_back("preparing message: " + text);
}

void FakeInstallerView::movePreparingOffScreen() { log.push_back("preparing: off screen"); }
void FakeInstallerView::centerPreparingOnScreen() { log.push_back("preparing: centred"); }
void FakeInstallerView::repaintPreparing() { log.push_back("preparing: repaint"); }

void FakeInstallerView::createInstallerWindow(InstallerEvents& events) {
  events_ = &events;
  installerCreated = true;
  log.push_back("installer: created");
  events.onFormCreate();
  if (!installerDestroyed && !terminated) {
    installerShown = true;
    log.push_back("installer: shown");
    events.onFormShow();
  }
}

WindowHandle FakeInstallerView::installerWindowHandle() const {
  return installerCreated && !installerDestroyed ? handle : kNoWindow;
}

void FakeInstallerView::destroyInstallerWindow() {
  installerDestroyed = true;
  log.push_back("installer: destroyed");
}

void FakeInstallerView::setInstallerCaption(const std::string& text) {
  caption = text;
  log.push_back("caption: " + text);
}

void FakeInstallerView::showStatusText(const std::string& text) {
  statusVisible = true;
  statusText = text;
  log.push_back("status: " + text);
}

void FakeInstallerView::stepProgressBar() {
  if (progress < progressMaximum) ++progress;
  log.push_back("progress step");
}

void FakeInstallerView::setProgressPosition(int position) {
  progress = position;
  log.push_back("progress: " + std::to_string(position));
}

void FakeInstallerView::setProgressMaximum(int maximum) { progressMaximum = maximum; }

void FakeInstallerView::setControlVisible(Control control, bool isVisible) {
  visible[control] = isVisible;
}

void FakeInstallerView::setControlEnabled(Control control, bool isEnabled) {
  enabled[control] = isEnabled;
}

void FakeInstallerView::setControlCaption(Control control, const std::string& text) {
  captions[control] = text;
}

void FakeInstallerView::focusControl(Control) {}

void FakeInstallerView::repaintInstaller() {}

void FakeInstallerView::applyLayout(const WindowLayout& newLayout) {
  layout = newLayout;
  ++layoutsApplied;
  log.push_back("layout: client " + std::to_string(layout.clientWidth) + "x" +
                std::to_string(layout.clientHeight) + (layout.sizeable ? " sizeable" : " fixed"));
}

void FakeInstallerView::setLicenseText(const std::string& text) {
  licenseText = text;
  log.push_back("licence text");
}

bool FakeInstallerView::showPicture(const std::string& path) {
  log.push_back("picture: " + path);
  if (unreadablePictures.count(path) != 0) {
    picture.clear();
    return false;
  }
  picture = path;
  return true;
}

void FakeInstallerView::centerInstallerOnScreen() { log.push_back("installer: centred"); }

void FakeInstallerView::handleOneMessage() {
  log.push_back("one message");
  deliverOneUserAction();
}

void FakeInstallerView::setMoviePanelVisible(bool shown) {
  movieVisible = shown;
  log.push_back(shown ? "movie panel: shown" : "movie panel: hidden");
}

void FakeInstallerView::setMoviePanelColor(std::uint32_t rgb) {
  movieColor = rgb;
  log.push_back("movie panel: colour " + std::to_string(rgb));
}

void FakeInstallerView::pauseBriefly() {
  log.push_back("pause");
  deliverOneUserAction();
}

bool FakeInstallerView::showDialog(DialogKind kind, const std::string& text) {
  dialogs.push_back({kind, text});
  static const char* const kKindNames[] = {"error", "information", "ok/cancel", "yes/no"};
  log.push_back(std::string("dialog ") + kKindNames[static_cast<int>(kind)] + ": " + text);
  if (kind == DialogKind::kError || kind == DialogKind::kInformation) return true;
  if (answers.empty()) return defaultAnswer;
  const bool answer = answers.front();
  answers.pop_front();
  return answer;
}

void FakeInstallerView::showErrorReport(const std::string& text) {
  errorReports.push_back(text);
  log.push_back("error report: " + text);
}

}  // namespace saverkit::fake
