// The two requests an install makes of its launcher: make the new screen saver the active one,
// and (after asking the user) open the screen-saver page of the Display control panel. A package
// whose extension record asks for it does both itself when no launcher is there, as the
// signed-in user: installers are double-clicked today far more often than launched.
#pragma once

#include <string>

#include "installer/installer_context.h"

namespace saverkit {

// Asks, when the package wants it, whether to open the control panel; on Yes shows the status
// line and sends "openScreenSaverControlPanel" (or, finishing without a launcher, opens the
// screen saver settings with the new saver selected: Windows' own install verb for screen
// savers, "desk.cpl,InstallScreenSaver" on the installed engine).
void offerControlPanel(InstallerContext& context, bool askOpenControlPanel);

// Sends "makeActiveSaver-<engine file name>" with its own NUL (or, finishing without a launcher,
// sets the signed-in user's SCRNSAVE.EXE to the installed engine through the system's reg.exe).
void requestMakeActive(InstallerContext& context, const std::string& engineFileName);

// True when the package asks to finish without a launcher and no launcher window is known.
bool finishesWithoutLauncher(InstallerContext& context);

// The installed engine's path as the user's own programs name it: on 64-bit Windows the native
// system folder's copy, "<Windows>\System32\<engine>", never the 32-bit view's alias for it.
std::string userEnginePath(const InstallerContext& context, const std::string& engineFileName);

}  // namespace saverkit
