// Launcher requests; see the header.
#include "installer/control_panel_offer.h"

#include "installer/launcher_channel.h"
#include "installer/window_operations.h"
#include "system/registration.h"

namespace saverkit {

void offerControlPanel(InstallerContext& context, bool askOpenControlPanel) {
  if (!askOpenControlPanel) return;
  InstallerView& view = context.view;
  view.bringApplicationToFront();
  if (!askYesNo(context, context.platform.texts.text(TextId::kControlPanelQuestion))) return;
  setStatusText(context, context.platform.texts.text(TextId::kOpeningControlPanel));
  view.processPendingMessages();
  sendToLauncher(context, launcher::kOpenControlPanel);
}

void requestMakeActive(InstallerContext& context, const std::string& engineFileName) {
  sendToLauncher(context, makeActiveSaverCommand(engineFileName));
}

}  // namespace saverkit
