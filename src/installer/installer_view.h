// The installer's view: the preparing window, the installer window and the dialogs, seen as
// the few operations the core needs. The Win32 implementation draws real windows; the fake
// records every call and answers questions from a script, so the whole program logic runs in
// native tests. The view knows nothing of installer state: deciding whether to update the
// window (quiet mode) is the core's job.
#pragma once

#include <string>

#include "flash/flash_services.h"
#include "installer/layout_rules.h"
#include "platform/platform_types.h"

namespace saverkit {

// What the installer window reports back to the core. The view calls these from its window
// procedure; the core's installer form implements them.
class InstallerEvents {
 public:
  virtual ~InstallerEvents() = default;
  virtual void onFormCreate() = 0;
  virtual void onFormShow() = 0;
  // The close box, Alt+F4 or a close requested by the program.
  virtual void onCloseRequested() = 0;
  virtual void onInstallClick() = 0;
  virtual void onCancelClick() = 0;
  virtual void onDoneClick() = 0;
  // The client area's new size, after every change.
  virtual void onResize(int clientWidth, int clientHeight) = 0;
};

// Installer window controls that the core shows, hides, enables or captions.
enum class Control { kInstallButton, kCancelButton, kDoneButton, kStatusLabel, kLicenseBox };

// The view is also the movie panel's host (MovieHost): the panel's window, the pumping of one
// message and bringing the application to the front are declared there, for the flash layer.
class InstallerView : public MovieHost {
 public:
  virtual ~InstallerView() = default;

  // Application.
  virtual void setApplicationTitle(const std::string& title) = 0;
  virtual std::string applicationTitle() const = 0;
  virtual void processPendingMessages() = 0;
  // Runs the message loop until the application is told to terminate.
  virtual void runMessageLoop() = 0;
  virtual void terminateApplication() = 0;
  virtual void showHourglassCursor(bool on) = 0;
  // True when the application's window is the one the user works in.
  virtual bool applicationActive() const = 0;

  // The preparing window (the application's main window).
  // `shown` is false when the command line asks for a quiet run: the windows are then made
  // hidden, so that a quiet run has no taskbar button and no window, not even off the screen.
  virtual void createPreparingWindow(bool shown) = 0;
  virtual void setPreparingCaption(const std::string& caption) = 0;
  virtual void setPreparingMessage(const std::string& text) = 0;
  virtual void movePreparingOffScreen() = 0;
  virtual void centerPreparingOnScreen() = 0;
  virtual void repaintPreparing() = 0;

  // The installer window. Creating it calls events.onFormCreate() before it is shown; it is
  // shown afterwards unless it was closed meanwhile.
  virtual void createInstallerWindow(InstallerEvents& events) = 0;
  virtual WindowHandle installerWindowHandle() const = 0;
  virtual void destroyInstallerWindow() = 0;
  virtual void setInstallerCaption(const std::string& caption) = 0;
  // The window's outer width, its height kept (the startup narrows the design size first).
  virtual void setInstallerWidth(int width) = 0;
  virtual std::string installerCaption() const = 0;
  virtual void showStatusText(const std::string& text) = 0;
  virtual void stepProgressBar() = 0;
  virtual void setProgressPosition(int position) = 0;
  virtual void setProgressMaximum(int maximum) = 0;
  virtual void setControlVisible(Control control, bool visible) = 0;
  virtual void setControlEnabled(Control control, bool enabled) = 0;
  virtual void setControlCaption(Control control, const std::string& caption) = 0;
  virtual void focusControl(Control control) = 0;
  virtual void repaintInstaller() = 0;
  // Places every control, sets the border style, the size limits and the client size.
  virtual void applyLayout(const WindowLayout& layout) = 0;
  virtual void setLicenseText(const std::string& text) = 0;
  // Shows a bitmap or JPEG file in the picture area (the movie area hidden); false when the
  // file cannot be read as a picture, leaving the picture area empty.
  virtual bool showPicture(const std::string& path) = 0;
  virtual void centerInstallerOnScreen() = 0;

  // The movie panel, where the player control lives (hidden until a movie plays); the rest of
  // its operations are the MovieHost's.
  virtual void setMoviePanelVisible(bool visible) = 0;
  // Handles window messages for one 100 ms timer interval, then brings the application to the
  // front: how the program stays responsive in the middle of a long step.
  virtual void pauseBriefly() = 0;

  // Dialogs, modal. The answer is true for OK or Yes.
  virtual bool showDialog(DialogKind kind, const std::string& text) = 0;
  // The application's default error report: the text, the application title as caption, one
  // OK button and the stop icon.
  virtual void showErrorReport(const std::string& text) = 0;

  // A line for the administrator's log, where one is kept ("/log="); otherwise nothing.
  virtual void logLine(const std::string&) {}
};

}  // namespace saverkit
