// The installer window operations every step uses to show progress and failures. Status texts
// and progress change nothing on the screen while the install is quiet; dialogs appear in quiet
// mode too.
#pragma once

#include <string>

#include "common/status.h"
#include "installer/installer_context.h"

namespace saverkit {

void setStatusText(InstallerContext& context, const std::string& text);
// One progress step and a brief pause that keeps the window responsive.
void stepProgress(InstallerContext& context);
void pauseBriefly(InstallerContext& context);
// Shows the "Installation Error: " box for a failed step; changes no state.
void showInstallError(InstallerContext& context, Status code, const std::string& detail);

void showErrorBox(InstallerContext& context, const std::string& text);
void showInformationBox(InstallerContext& context, const std::string& text);
bool askOkCancel(InstallerContext& context, const std::string& text);
bool askYesNo(InstallerContext& context, const std::string& text);

}  // namespace saverkit
