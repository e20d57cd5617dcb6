// Window operations; see the header.
#include "installer/window_operations.h"

#include "installer/error_messages.h"

namespace saverkit {

void setStatusText(InstallerContext& context, const std::string& text) {
  if (context.state.quiet()) return;
  context.view.showStatusText(text);
}

void stepProgress(InstallerContext& context) {
  if (context.state.quiet()) return;
  context.view.stepProgressBar();
  pauseBriefly(context);
}

void pauseBriefly(InstallerContext& context) { context.view.pauseBriefly(); }

void showInstallError(InstallerContext& context, Status code, const std::string& detail) {
  showErrorBox(context, installErrorText(context.platform.texts, code, detail));
}

void showErrorBox(InstallerContext& context, const std::string& text) {
  context.view.showDialog(DialogKind::kError, text);
}

void showInformationBox(InstallerContext& context, const std::string& text) {
  context.view.showDialog(DialogKind::kInformation, text);
}

bool askOkCancel(InstallerContext& context, const std::string& text) {
  return context.view.showDialog(DialogKind::kOkCancel, text);
}

bool askYesNo(InstallerContext& context, const std::string& text) {
  return context.view.showDialog(DialogKind::kYesNo, text);
}

}  // namespace saverkit
