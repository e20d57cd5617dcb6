// The install procedure; see the header.
#include "installer/install_procedure.h"

#include <optional>

#include "common/text_helpers.h"
#include "installer/control_panel_offer.h"
#include "installer/window_operations.h"
#include "installer/data_file.h"
#include "installer/package_check.h"
#include "installer/slot_extraction.h"
#include "system/file_helpers.h"
#include "system/os_detection.h"
#include "system/product_folder.h"
#include "system/registration.h"
#include "system/shell_actions.h"

namespace saverkit {
namespace {

bool goOn(const InstallerContext& context, Status result) {
  return result == status::kSuccess && !context.state.cancelRequested;
}

void rollBack(InstallerContext& context) {
  const std::string& engine = context.header.entries[kSlotEngine].name;
  // The product folder this install made goes through the hold it was made with, never by its
  // name again; it is gone when the hold ends.
  std::string productFolder = context.productFolder;
  if (context.productFolderHold) {
    context.platform.files.removeTreeThrough(*context.productFolderHold);
    context.productFolderHold.reset();
    productFolder.clear();
  } else if (context.sharedFolderHold) {
    productFolder.clear();  // a file stood at its name: this install made nothing there
  }
  rollbackInstall(context.platform.files, context.platform.registry, context.folders,
                  {productFolder, engine, context.saverName, context.state.osKind == os::kWow64, context.codePage});
}

// The box for a folder that is not ours: the shared folder, or an old product folder that could
// not be taken out of the way.
void showUnsafeFolder(InstallerContext& context) {
  if (!context.sharedFolderHold) {
    showInstallError(context, status::kUnsafeFolder, context.folders.sharedFolder);
    return;
  }
  const TextSource& texts = context.platform.texts;
  showErrorBox(context, texts.text(TextId::kInstallationErrorPrefix) + context.productFolder + "\r\n\r\n" +
                            texts.text(TextId::kOldProductFolderStaysMessage));
}

// Steps 5 to 12: everything that writes the screen saver.
Status writeScreenSaver(InstallerContext& context) {
  Platform& platform = context.platform;
  Status result = extractProductSlots(context);
  if (goOn(context, result)) result = readSaverRecord(context);
  if (goOn(context, result)) result = expandDataFile(context);
  if (goOn(context, result)) result = writeSaverRecord(context);
  if (!goOn(context, result)) return result;
  requestMakeActive(context, context.header.entries[kSlotEngine].name);
  if (goOn(context, result)) result = copyDocumentsToProduct(context);
  if (goOn(context, result)) {
    openReadMe(platform.shell, context.view.installerWindowHandle(), context.state.hasReadMe,
               context.productFolder, context.header.entries[kSlotReadMe].name);
  }
  if (goOn(context, result)) {
    // A missing uninstall entry does not make the install a failure.
    std::optional<UninstallDetails> details;
    if (context.extension) {
      const PackageExtension& extension = *context.extension;
      details = UninstallDetails{extension.publisher, extension.version, extension.website,
                                 userEnginePath(context, context.header.entries[kSlotEngine].name),
                                 extension.estimatedSizeKb};
    }
    registerUninstall(platform.registry, platform.system, platform.texts, context.folders.systemFolder,
                      context.saverName, details ? &*details : nullptr);
  }
  return result;
}

}  // namespace

Status runInstall(InstallerContext& context) {
  Platform& platform = context.platform;
  InstallerState& state = context.state;
  context.view.showHourglassCursor(true);
  setupInstallerFormForInstallation(context);
  // A package that would fail halfway must not get as far as replacing the installed saver.
  Status result = checkPackageBeforeInstall(context);
  const bool machineTouched = result == status::kSuccess;
  if (machineTouched && !state.cancelRequested) closeDisplayProperties(platform.messaging, platform.texts);
  if (machineTouched && !state.cancelRequested) {
    const auto confirm = [&context](const std::string& question) { return askOkCancel(context, question); };
    result = prepareProductFolder(platform.files, confirm, context.folders, context.saverName,
                                  !state.quiet(), platform.texts.text(TextId::kOverwriteQuestionTail),
                                  context.codePage, context.sharedFolderHold, context.productFolderHold);
    if (result == status::kOverwriteDeclined) state.cancelRequested = true;
    if (result == status::kUnsafeFolder) showUnsafeFolder(context);
    context.view.repaintPreparing();
  }
  if (goOn(context, result)) result = writeScreenSaver(context);

  // Whatever happened, the data file goes: it was only ever a carrier. Our own hold on it goes
  // first, or Windows would keep it.
  context.dataFileSource.reset();
  closeDataFile(context);
  if (!context.dataFilePath.empty()) deleteFileOnce(platform.files, context.dataFilePath);
  // A folder that is not ours, or an old product folder that stays, is left exactly as it was.
  const bool undo = machineTouched && result != status::kOverwriteDeclined && result != status::kUnsafeFolder;
  if (result != status::kSuccess && undo) rollBack(context);
  if (state.cancelRequested) {
    setStatusText(context, platform.texts.text(TextId::kAbortedCleaningUp));
    if (undo) rollBack(context);
    resetAfterAbort(context);
  } else {
    setupFormForInstallationComplete(context, result);
  }
  releaseCodec(context);
  context.productFolderHold.reset();
  context.sharedFolderHold.reset();  // held until the install, and any rollback, is over
  context.view.showHourglassCursor(false);
  context.view.logLine("install status: " + decimal(result));
  return result;
}

Status runInstallWithoutWindow(InstallerContext& context) {
  InstallerView& view = context.view;
  const std::uint8_t rememberedMode = context.state.installMode;
  context.state.installMode = kModeQuiet;
  view.setPreparingCaption(view.installerCaption());
  view.setPreparingMessage(context.platform.texts.text(TextId::kInstallingScreenSaver));
  const Status result = runInstall(context);
  if (result == status::kSuccess) {
    view.setPreparingMessage(context.platform.texts.text(TextId::kInstallationSuccessful));
  } else if (result == status::kOverwriteDeclined) {
    view.setPreparingMessage(literal::kInstallationCancelled);
  } else {
    view.setPreparingMessage(context.platform.texts.text(TextId::kInstallFailedPrefix) + decimal(result));
  }
  context.state.installMode = rememberedMode;
  return result;
}

void setupInstallerFormForInstallation(InstallerContext& context) {
  if (context.state.quiet()) return;
  InstallerView& view = context.view;
  view.setControlEnabled(Control::kInstallButton, false);
  view.setControlVisible(Control::kCancelButton, true);
  setStatusText(context, context.platform.texts.text(TextId::kInstallingScreenSaver));
}

void setupFormForInstallationComplete(InstallerContext& context, Status result) {
  if (context.state.quiet()) return;
  InstallerView& view = context.view;
  const TextSource& texts = context.platform.texts;
  if (result == status::kSuccess) view.setProgressPosition(kProgressMaximum);
  pauseBriefly(context);
  pauseBriefly(context);
  view.setProgressPosition(0);
  switch (result) {
    case status::kSuccess:
      setStatusText(context, texts.text(TextId::kInstallationComplete));
      view.setControlVisible(Control::kDoneButton, true);
      view.focusControl(Control::kDoneButton);
      view.setControlVisible(Control::kInstallButton, false);
      view.setControlVisible(Control::kCancelButton, false);
      view.repaintInstaller();
      view.setControlEnabled(Control::kInstallButton, false);
      break;
    case status::kAccessDenied:
      setStatusText(context, texts.text(TextId::kAbortedPrivileges));
      showInstallError(context, result, decimal(result));
      break;
    case status::kSaverNotReplaceable:
      setStatusText(context, texts.text(TextId::kAbortedNotReplaceable));
      showInstallError(context, result, decimal(result));
      break;
    default:
      setStatusText(context, texts.text(TextId::kInstallFailedPrefix) + decimal(result));
      break;
  }
}

void resetAfterAbort(InstallerContext& context) {
  if (context.state.quiet()) return;
  InstallerView& view = context.view;
  view.setProgressPosition(0);
  setStatusText(context, "");
  view.setControlEnabled(Control::kCancelButton, true);
  view.repaintInstaller();
  view.setControlEnabled(Control::kInstallButton, true);
}

void cancelWhileInstalling(InstallerContext& context) {
  context.state.cancelRequested = true;
  setStatusText(context, context.platform.texts.text(TextId::kAbortedCleaningUp));
  context.view.setProgressPosition(0);
  pauseBriefly(context);
  pauseBriefly(context);
}

}  // namespace saverkit
