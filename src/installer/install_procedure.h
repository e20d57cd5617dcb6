// The install procedure: the screen saver written onto the machine, with progress, the
// overwrite question, cancel between steps, roll back on failure and the outcome shown.
#pragma once

#include "common/status.h"
#include "installer/installer_context.h"

namespace saverkit {

inline constexpr int kProgressMaximum = 10;

// The procedure itself; every step runs only while the status is 0 and no cancel came.
Status runInstall(InstallerContext& context);

// The movie fallback's install: quiet for the installer window, its progress shown in the
// preparing window.
Status runInstallWithoutWindow(InstallerContext& context);

void setupInstallerFormForInstallation(InstallerContext& context);
void setupFormForInstallationComplete(InstallerContext& context, Status result);
void resetAfterAbort(InstallerContext& context);

// The Cancel button while an install runs: only asks the procedure to stop between steps.
void cancelWhileInstalling(InstallerContext& context);

}  // namespace saverkit
