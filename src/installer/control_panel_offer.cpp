// Launcher requests; see the header.
#include "installer/control_panel_offer.h"

#include "common/file_names.h"
#include "installer/launcher_channel.h"
#include "installer/window_operations.h"
#include "system/os_detection.h"
#include "system/registration.h"

namespace saverkit {
namespace {

// The user's system folder, where reg.exe and rundll32.exe are the user's own architecture's:
// on 64-bit Windows the native one, which our 32-bit view calls Sysnative.
std::string userSystemFolder(const InstallerContext& context) {
  const Folders& folders = context.folders;
  if (context.state.osKind == os::kWow64 && !folders.windowsFolder.empty()) return folders.windowsFolder + "System32\\";
  return folders.systemFolder;
}

}  // namespace

bool finishesWithoutLauncher(InstallerContext& context) {
  if (!context.extension || !context.extension->finishWithoutLauncher) return false;
  if (context.state.launcherWindow == kNoWindow) findLauncherWindow(context);
  return context.state.launcherWindow == kNoWindow;
}

std::string userEnginePath(const InstallerContext& context, const std::string& engineFileName) {
  return userSystemFolder(context) + engineFileName;
}

void offerControlPanel(InstallerContext& context, bool askOpenControlPanel) {
  if (!askOpenControlPanel) return;
  InstallerView& view = context.view;
  view.bringApplicationToFront();
  if (!askYesNo(context, context.platform.texts.text(TextId::kControlPanelQuestion))) return;
  setStatusText(context, context.platform.texts.text(TextId::kOpeningControlPanel));
  view.processPendingMessages();
  const std::string& engine = context.header.entries[kSlotEngine].name;
  if (finishesWithoutLauncher(context) && isSafeBareName(engine, context.codePage)) {
    context.platform.shell.startAsSignedInUser(userSystemFolder(context) + "rundll32.exe",
                                               "desk.cpl,InstallScreenSaver \"" + userEnginePath(context, engine) + "\"",
                                               true);
    return;
  }
  sendToLauncher(context, launcher::kOpenControlPanel);
}

void requestMakeActive(InstallerContext& context, const std::string& engineFileName) {
  if (finishesWithoutLauncher(context)) {
    // Only a bare engine name goes into a command line and the user's setting.
    if (!isSafeBareName(engineFileName, context.codePage)) return;
    context.platform.shell.startAsSignedInUser(
        userSystemFolder(context) + "reg.exe",
        "add \"HKCU\\Control Panel\\Desktop\" /v SCRNSAVE.EXE /t REG_SZ /d \"" +
            userEnginePath(context, engineFileName) + "\" /f",
        false);
    return;
  }
  sendToLauncher(context, makeActiveSaverCommand(engineFileName));
}

}  // namespace saverkit
