// The program's start; see the header.
#include "installer/program_start.h"

#include "common/text_helpers.h"
#include "common/texts.h"
#include "installer/startup_sequence.h"

namespace saverkit {

int runProgram(InstallerContext& context, InstallerForm& form) {
  InstallerView& view = context.view;
  // The command line is read once, here; every later question about "/q" asks this count.
  context.quietSwitches = countQuietSwitches(context.platform.process.commandLineParameters());
  view.setApplicationTitle(literal::kPreparingInstallation);
  view.createPreparingWindow(context.quietSwitches == 0);
  view.setPreparingCaption(fileNameOf(context.platform.process.modulePath()));
  view.setPreparingMessage(literal::kPreparingInstallation);
  // The preparing window exists once it is created; one more round lets it paint.
  view.processPendingMessages();
  view.processPendingMessages();
  view.createInstallerWindow(form);
  view.runMessageLoop();
  view.logLine("exit code: " + decimal(context.exitCode));
  return context.exitCode;
}

}  // namespace saverkit
