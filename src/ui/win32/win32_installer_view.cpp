// The Win32 view; see the header.
#include "ui/win32/win32_installer_view.h"

#include <commctrl.h>

#include "platform/win32/system_library.h"
#include "ui/win32/message_dialogs.h"
#include "ui/win32/message_pump.h"

namespace saverkit::win32 {

Win32InstallerView::Win32InstallerView(const TextSource& texts) : texts_(texts) {
  using InitControls = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
  const auto initControls = reinterpret_cast<InitControls>(
      reinterpret_cast<void*>(::GetProcAddress(commonControlsLibrary(), "InitCommonControlsEx")));
  INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
  if (initControls) initControls(&controls);
  // "MS Sans Serif" 8 point at 96 dpi, not scaled with the system font size.
  font_.reset(::CreateFontA(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                            OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                            DEFAULT_PITCH | FF_SWISS, "MS Sans Serif"));
}

Win32InstallerView::~Win32InstallerView() {
  if (application_ && ::IsWindow(application_)) ::DestroyWindow(application_);
}

void Win32InstallerView::setApplicationTitle(const std::string& title) {
  applicationTitle_ = title;
  if (application_) ::SetWindowTextA(application_, title.c_str());
}

void Win32InstallerView::processPendingMessages() {
  win32::processPendingMessages(installer_.alive() ? installer_.handle() : nullptr);
}

void Win32InstallerView::runMessageLoop() {
  win32::runMessageLoop(installer_.alive() ? installer_.handle() : nullptr);
}

void Win32InstallerView::terminateApplication() {
  terminated_ = true;
  ::PostQuitMessage(0);
}

// The window the user sees: the installer's once it is shown, else the preparing window, else
// the application's own.
HWND Win32InstallerView::frontWindow() const {
  if (installer_.alive() && ::IsWindowVisible(installer_.handle())) return installer_.handle();
  if (preparing_.handle() && ::IsWindowVisible(preparing_.handle())) return preparing_.handle();
  return application_;
}

void Win32InstallerView::bringApplicationToFront() {
  if (HWND window = frontWindow()) ::SetForegroundWindow(window);
}

void Win32InstallerView::showHourglassCursor(bool on) { setBusyCursor(on); }

void Win32InstallerView::createPreparingWindow(bool shown) {
  // The application's own window: never seen, it carries the one taskbar button with the
  // application title, and owns both windows of the program. Under Wine every shown window,
  // even one off the screen, costs about as much as a whole small quiet install.
  registerFormClass(kApplicationClass, ::DefWindowProcA);
  const DWORD visible = shown ? WS_VISIBLE : 0;
  application_ = ::CreateWindowExA(0, kApplicationClass, applicationTitle_.c_str(), WS_POPUP | WS_CAPTION | visible,
                                   -3000, -3000, 0, 0, nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr);
  preparing_.create(static_cast<HFONT>(font_.get()), texts_.text(TextId::kPreparingInstallationLabel),
                    application_, shown);
}

void Win32InstallerView::setPreparingCaption(const std::string& caption) {
  preparing_.setCaption(caption);
}

void Win32InstallerView::setPreparingMessage(const std::string& text) {
  preparing_.setMessage(text);
}

void Win32InstallerView::movePreparingOffScreen() { preparing_.moveTo(-3000, -3000); }

void Win32InstallerView::centerPreparingOnScreen() {
  preparing_.centerOnScreen();
  processPendingMessages();
}

void Win32InstallerView::repaintPreparing() { preparing_.repaint(); }

void Win32InstallerView::createInstallerWindow(InstallerEvents& events) {
  installer_.create(events, static_cast<HFONT>(font_.get()), texts_.text(TextId::kButtonCancel),
                    texts_.text(TextId::kButtonClose), texts_.text(TextId::kInstall), application_);
  events.onFormCreate();
  if (!terminated_) installer_.show();
}

WindowHandle Win32InstallerView::installerWindowHandle() const {
  return static_cast<WindowHandle>(reinterpret_cast<std::uintptr_t>(
      installer_.alive() ? installer_.handle() : nullptr));
}

void Win32InstallerView::destroyInstallerWindow() { installer_.destroy(); }

void Win32InstallerView::setInstallerCaption(const std::string& caption) {
  if (installer_.alive()) ::SetWindowTextA(installer_.handle(), caption.c_str());
}

std::string Win32InstallerView::installerCaption() const {
  if (!installer_.alive()) return {};
  char buffer[512];
  const int length = ::GetWindowTextA(installer_.handle(), buffer, sizeof buffer);
  return std::string(buffer, static_cast<std::size_t>(length > 0 ? length : 0));
}

void Win32InstallerView::showStatusText(const std::string& text) { installer_.statusLabel().showText(text); }

void Win32InstallerView::stepProgressBar() { installer_.progressBar().step(); }

void Win32InstallerView::setProgressPosition(int position) { installer_.progressBar().setPosition(position); }

void Win32InstallerView::setProgressMaximum(int maximum) { installer_.progressBar().setMaximum(maximum); }

void Win32InstallerView::setControlVisible(Control control, bool visible) {
  installer_.control(control).setVisible(visible);
}

void Win32InstallerView::setControlEnabled(Control control, bool enabled) {
  installer_.control(control).setEnabled(enabled);
}

void Win32InstallerView::setControlCaption(Control control, const std::string& caption) {
  installer_.control(control).setCaption(caption);
}

void Win32InstallerView::focusControl(Control control) { installer_.control(control).focus(); }

bool Win32InstallerView::showPicture(const std::string& path) {
  installer_.moviePanel().setVisible(false);
  return installer_.picturePanel().showPicture(path);
}

void Win32InstallerView::repaintInstaller() {
  if (installer_.alive()) {
    ::InvalidateRect(installer_.handle(), nullptr, TRUE);
    ::UpdateWindow(installer_.handle());
  }
}

bool Win32InstallerView::applicationActive() const {
  DWORD process = 0;
  ::GetWindowThreadProcessId(::GetForegroundWindow(), &process);
  return process == ::GetCurrentProcessId();
}

void Win32InstallerView::handleOneMessage() {
  // Waiting for a message without limit could hang a close when the queue happens to be
  // empty; a short wait lets the freed player's own messages arrive.
  MSG message;
  if (!::PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE)) {
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
    if (!::PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE)) return;
  }
  win32::handleOneMessage(installer_.alive() ? installer_.handle() : nullptr);
}

WindowHandle Win32InstallerView::moviePanelHandle() const {
  return static_cast<WindowHandle>(reinterpret_cast<UINT_PTR>(installer_.moviePanel().handle()));
}

void Win32InstallerView::setMoviePanelVisible(bool visible) { installer_.moviePanel().setVisible(visible); }

bool Win32InstallerView::moviePanelVisible() const { return installer_.moviePanel().visible(); }

void Win32InstallerView::repaintMoviePanel() { installer_.moviePanel().repaint(); }

void Win32InstallerView::focusMoviePanel() { installer_.moviePanel().focus(); }

void Win32InstallerView::setMoviePanelColor(std::uint32_t rgb) {
  // The core speaks 0xRRGGBB; Windows keeps colours as 0x00BBGGRR.
  installer_.moviePanel().setColor(RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF));
}

void Win32InstallerView::pauseBriefly() {
  installer_.pauseBriefly();
  bringApplicationToFront();
}

HWND Win32InstallerView::dialogOwner() const {
  if (installer_.alive() && ::IsWindowVisible(installer_.handle())) return installer_.handle();
  return nullptr;
}

bool Win32InstallerView::showDialog(DialogKind kind, const std::string& text) {
  return showMessageDialog(dialogOwner(), texts_, kind, text);
}

void Win32InstallerView::showErrorReport(const std::string& text) {
  showErrorReportBox(dialogOwner(), applicationTitle_, text);
}

}  // namespace saverkit::win32
