// The startup sequence; see the header.
#include "installer/startup_sequence.h"

#include "installer/error_messages.h"
#include "installer/installer_form.h"
#include "installer/window_operations.h"

namespace saverkit {
namespace {

// A failed startup shows its message, then the window closes and the program ends.
void endWithFailure(InstallerContext& context, InstallerForm& form, Status startupStatus) {
  if (const auto message = startupFailureMessage(context.platform.texts, startupStatus)) {
    context.platform.view.showDialog(message->kind, message->text);
  }
  form.close();
}

}  // namespace

void runStartupSequence(InstallerContext& context, InstallerForm& form) {
  InstallerView& view = context.platform.view;
  view.showHourglassCursor(true);
  view.repaintInstaller();
  context.state = InstallerState{};
  Status startupStatus = status::kSuccess;

  view.showHourglassCursor(false);
  if (startupStatus != status::kSuccess) endWithFailure(context, form, startupStatus);
}

}  // namespace saverkit
