// The installer window's behaviour; see the header.
#include "installer/installer_form.h"

#include <exception>

#include "installer/error_messages.h"
#include "installer/launcher_channel.h"
#include "installer/startup_sequence.h"
#include "system/file_helpers.h"

namespace saverkit {

void InstallerForm::onFormCreate() {
  // Errors raised inside the sequence end it where they are raised. They are reported here and
  // the window then opens as far as the sequence had set it up.
  try {
    runStartupSequence(context_, *this);
  } catch (const std::exception& error) {
    context_.platform.view.showErrorReport(errorReportText(error.what()));
  }
}

void InstallerForm::onFormShow() { context_.platform.view.bringApplicationToFront(); }

void InstallerForm::onCloseRequested() { close(); }

void InstallerForm::close() {
  if (context_.state.installing || closed_) return;
  closed_ = true;
  InstallerView& view = context_.platform.view;
  // The working folder holds the working copy and everything extracted at start; failures to
  // remove it are ignored.
  if (!context_.folders.workingFolder.empty()) {
    deleteFolderTree(context_.platform.files, context_.folders.workingFolder);
  }
  view.destroyInstallerWindow();
  notifyLauncherClosed(context_);
  view.terminateApplication();
}

void InstallerForm::onInstallClick() {}

void InstallerForm::onCancelClick() {
  if (context_.state.installing) return;
  close();
}

void InstallerForm::onDoneClick() { close(); }

}  // namespace saverkit
