// The installer window's behaviour; see the header.
#include "installer/installer_form.h"

#include <exception>

#include "installer/control_panel_offer.h"
#include "installer/data_file.h"
#include "installer/error_messages.h"
#include "installer/install_procedure.h"
#include "installer/launcher_channel.h"
#include "installer/slot_extraction.h"
#include "installer/startup_sequence.h"
#include "system/file_helpers.h"

namespace saverkit {

InstallerForm::~InstallerForm() = default;

void InstallerForm::onFormCreate() {
  moviePanel_ = std::make_unique<FlashPanel>(context_.flash);
  // Errors raised inside the sequence end it where they are raised. They are reported here and
  // the window then opens as far as the sequence had set it up.
  try {
    runStartupSequence(context_, *this);
  } catch (const std::exception& error) {
    // The startup is over: the window now waits, and an hourglass over it would say otherwise.
    context_.view.showHourglassCursor(false);
    context_.view.showErrorReport(errorReportText(error.what()));
    // The window would now wait for a user; a quiet run has none, and a deployment script
    // would wait for ever. It ends instead, and says it failed.
    if (context_.state.quiet() ||
        context_.quietSwitches > 0) {
      context_.exitCode = status::kQuietStartupRaised;
      close();
    }
  }
}

void InstallerForm::onFormShow() { context_.view.bringApplicationToFront(); }

void InstallerForm::onCloseRequested() { close(); }

void InstallerForm::close() {
  if (context_.state.installing || closed_) return;
  closed_ = true;
  InstallerView& view = context_.view;
  if (moviePanel_) {
    if (context_.state.installMode != kModeQuiet) moviePanel_->stopMovie();
    // The panel's player lives in the window and its folder with the panel: both go first.
    moviePanel_.reset();
  }
  releaseCodec(context_);
  // The run's holds end before their folder can go.
  context_.dataFileSource.reset();
  closeDataFile(context_);
  context_.heldPlayerInstaller.reset();
  context_.heldLibrary.reset();
  context_.package.reset();
  context_.installerFile.reset();
  // The working folder holds the working copy and everything extracted at start. It goes
  // through its own hold, which is let go last: by its name, after the hold, a rename and a
  // junction in the user's "Vantrel" could lead the removal elsewhere. Failures are ignored.
  if (context_.workingFolderHold) context_.platform.files.removeTreeThrough(*context_.workingFolderHold);
  context_.workingFolderHold.reset();
  view.destroyInstallerWindow();
  notifyLauncherClosed(context_);
  view.terminateApplication();
}

void InstallerForm::onInstallClick() {
  InstallerState& state = context_.state;
  if (state.installing) return;
  state.installing = true;
  state.cancelRequested = false;
  const Status result = runInstall(context_);
  if (!state.cancelRequested && result == status::kSuccess) {
    offerControlPanel(context_, context_.header.askOpenControlPanel);
  }
  state.installing = false;
  if (result == status::kSuccess) close();
}

void InstallerForm::onCancelClick() {
  if (context_.state.installing) {
    cancelWhileInstalling(context_);
    return;
  }
  close();
}

void InstallerForm::onResize(int clientWidth, int clientHeight) {
  applyResizeRule(context_.layout, clientWidth, clientHeight);
  context_.view.applyLayout(context_.layout);
}

void InstallerForm::onDoneClick() { close(); }

}  // namespace saverkit
