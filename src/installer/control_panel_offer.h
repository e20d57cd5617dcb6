// The two requests an install makes of its launcher: make the new screen saver the active one,
// and (after asking the user) open the screen-saver page of the Display control panel.
#pragma once

#include <string>

#include "installer/installer_context.h"

namespace saverkit {

// Asks, when the package wants it, whether to open the control panel; on Yes shows the status
// line and sends "openScreenSaverControlPanel". The installer never opens it itself.
void offerControlPanel(InstallerContext& context, bool askOpenControlPanel);

// Sends "makeActiveSaver-<engine file name>" with its own NUL.
void requestMakeActive(InstallerContext& context, const std::string& engineFileName);

}  // namespace saverkit
