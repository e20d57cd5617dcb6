// The startup sequence; see the header.
#include "installer/startup_sequence.h"

#include "common/saverkit_error.h"
#include "common/text_helpers.h"
#include "flash/player_detection.h"
#include "flash/presentation.h"
#include "installer/control_panel_offer.h"
#include "installer/error_messages.h"
#include "installer/install_procedure.h"
#include "installer/installer_form.h"
#include "installer/launcher_channel.h"
#include "installer/slot_extraction.h"
#include "installer/window_operations.h"
#include "installer/package_reader.h"
#include "system/os_detection.h"
#include "system/registration.h"
#include "system/shell_actions.h"

namespace saverkit {
namespace {

constexpr int kStartupPlayerAttempts = 20;

struct Sequence {
  explicit Sequence(InstallerContext& contextIn) : context(contextIn) {}
  InstallerContext& context;
  Status status = status::kSuccess;
  bool quietByCommandLine = false;
  bool movieFallback = false;
  PlayerVersion installed;

  bool good() const { return status == status::kSuccess; }
  bool quiet() const { return context.state.quiet(); }
};

// Steps 1 to 4: folders, the working copy and the header.
void preparePackage(Sequence& run) {
  InstallerContext& context = run.context;
  Platform& platform = context.platform;
  const std::string installerPath = platform.process.modulePath();
  run.status = initFolders(platform.files, platform.system, platform.process, installerPath,
                           context.folders, context.workingFolderHold);
  if (run.status == status::kUnsafeFolder) {
    showInstallError(context, run.status,
                     withTrailingBackslash(getSpecialFolder(platform.system, csidl::kLocalAppData)) + kCompanyFolderName);
  }
  removeStartupShortcut(platform.files, platform.system, installerPath,
                        [&context](const std::string& text) { showErrorBox(context, text); });
  if (!run.good()) return;
  setInstallerPaths(context);
  run.status = copyInstallerToWorkFile(context);
  if (run.good()) run.status = readPackageHeader(context);
}

// Step 5: the launcher hears of the header, and the mode is settled.
void readCommandLine(Sequence& run) {
  InstallerContext& context = run.context;
  sendToLauncher(context, launcher::kHeaderRead);
  context.state.installMode = context.header.presentationMode;
  for (const std::string& parameter : context.platform.process.commandLineParameters()) {
    if (toLowerAscii(parameter) != "/q") continue;
    context.state.installMode = kModeQuiet;
    sendToLauncher(context, launcher::kQuietInstaller);
    run.quietByCommandLine = true;
  }
  if (run.quiet()) {
    context.platform.view.movePreparingOffScreen();
  } else {
    context.platform.view.centerPreparingOnScreen();
  }
}

// Steps 8 to 13: the installed player against the carried one.
void checkPlayer(Sequence& run) {
  InstallerContext& context = run.context;
  InstallerState& state = context.state;
  const PackageHeader& header = context.header;
  run.installed = getInstalledFlashPlayerVersion(context, kStartupPlayerAttempts);
  if (header.carriesFlashInstaller) {
    carriedPlayerVersion(header.flashVersionIndex, state.carriedPlayerMajor, state.carriedPlayerRelease);
  }
  run.status = verifyFlashAXInstallerCanRunOnThisMachine(context, state.carriedPlayerMajor);
  if (run.good() && header.carriesFlashInstaller) {
    run.status = extractFlashInstaller(context);
    // Held until the window closes, so that nobody can put another program in its place before
    // it is started.
    Status ignored = 0;
    if (run.good()) {
      context.heldPlayerInstaller = context.platform.files.openForReading(
          context.folders.workingFolder + header.entries[kSlotFlashInstaller].name, ignored);
    }
  }
  if (!run.good()) return;
  run.status = decidePlayerUpdate(run.installed, header.carriesFlashInstaller, state.carriedPlayerMajor,
                                  state.carriedPlayerRelease, state.playerUpdateNeeded);
  if (run.good() && state.playerUpdateNeeded) {
    run.status = handleFlashActiveXControlUpdate(context, header.entries[kSlotFlashInstaller].name);
  }
}

// A new client height moves the button panel and the licence box, as every resize does.
void applyLayoutAfterResize(InstallerContext& context) {
  WindowLayout& layout = context.layout;
  applyResizeRule(layout, layout.clientWidth, layout.clientHeight);
  context.platform.view.applyLayout(layout);
}

// Step 15: licence mode or plain mode.
void setUpWindowMode(Sequence& run) {
  InstallerContext& context = run.context;
  Platform& platform = context.platform;
  WindowLayout& layout = context.layout;
  context.state.hasLicense = context.header.hasLicense;
  if (context.state.hasLicense) {
    run.status = extractLicense(context);
    if (run.good()) {
      const std::string path = context.folders.workingFolder + context.header.entries[kSlotLicense].name;
      Status error = 0;
      std::string text;
      if (auto file = platform.files.openForReading(path, error)) {
        text.resize(static_cast<std::size_t>(file->size()));
        std::size_t got = 0;
        file->read(text.data(), text.size(), got);
        text.resize(got);
      }
      platform.view.setLicenseText(text);
      setupLicenseMode(layout);
      platform.view.setControlCaption(Control::kInstallButton, platform.texts.text(TextId::kButtonAcceptAndInstall));
      platform.view.setControlVisible(Control::kCancelButton, true);
    }
  } else {
    setupPlainMode(layout);
    platform.view.setControlCaption(Control::kInstallButton, platform.texts.text(TextId::kInstall));
  }
  placeButtons(layout);
  platform.view.setControlCaption(Control::kCancelButton, platform.texts.text(TextId::kButtonCancel));
  platform.view.setControlCaption(Control::kDoneButton, platform.texts.text(TextId::kButtonClose));
  platform.view.applyLayout(layout);
}

// Step 17: the picture or the movie.
void showPresentation(Sequence& run, FlashPanel& moviePanel) {
  InstallerContext& context = run.context;
  InstallerView& view = context.platform.view;
  const std::string path = context.folders.workingFolder + context.header.entries[kSlotPresentation].name;
  switch (context.state.installMode) {
    case kModeBitmap:
    case kModeJpeg:
      view.setMoviePanelVisible(false);
      if (!view.showPicture(path)) showErrorBox(context, literal::kCorruptFile);
      break;
    case kModeMovie:
    case kModeMovieAlternative:
      view.setMoviePanelVisible(true);
      if (moviePanel.playMovie(path) == status::kSuccess) {
        view.bringApplicationToFront();
        if (view.applicationActive()) moviePanel.focusMovie();
      } else {
        run.status = runInstallWithoutWindow(context);
        run.movieFallback = true;
      }
      break;
    default:
      break;
  }
}

// Step 18: the window laid out, centred and waiting.
void presentWindow(InstallerContext& context) {
  InstallerView& view = context.platform.view;
  view.movePreparingOffScreen();
  view.setProgressMaximum(kProgressMaximum);
  arrangeButtons(context.layout, context.state.hasLicense);
  applyLayoutAfterResize(context);
  view.centerInstallerOnScreen();
}

void runSteps(Sequence& run, FlashPanel& moviePanel) {
  InstallerContext& context = run.context;
  preparePackage(run);
  if (run.good()) readCommandLine(run);
  if (run.good()) run.status = setProductPaths(context);
  if (run.good()) {
    context.state.hasReadMe = context.header.hasReadMe;
    if (context.state.hasReadMe) run.status = extractReadMe(context);
  }
  // A picture saver that says it needs no player installs where none exists, as on every
  // Windows since the player was withdrawn.
  if (run.good() && packageNeedsFlashPlayer(context.header)) checkPlayer(run);
  if (run.good() && !run.quiet()) {
    const std::string title = makeWindowTitle(context.platform.texts, context.saverName);
    context.platform.view.setInstallerCaption(title);
    context.platform.view.setApplicationTitle(title);
  }
  if (run.good() && !run.quiet()) setUpWindowMode(run);
  if (run.good() && context.header.presentationMode != kModeQuiet) run.status = extractPresentation(context);
  if (run.good() && !run.quiet()) showPresentation(run, moviePanel);
  if (run.good() && !run.quiet() && !run.movieFallback) presentWindow(context);
  if (run.good() && run.quiet()) context.exitCode = runInstall(context);
}

void finish(Sequence& run, InstallerForm& form) {
  InstallerContext& context = run.context;
  if (!run.good()) {
    // A quiet run that could not even start must not look like a success to its caller.
    if (run.quiet() || hasQuietSwitch(context.platform.process.commandLineParameters())) {
      context.exitCode = run.status;
    }
    if (const auto message = startupFailureMessage(context.platform.texts, run.status)) {
      context.platform.view.showDialog(message->kind, message->text);
    }
    form.close();
  } else if (run.movieFallback) {
    offerControlPanel(context, context.header.askOpenControlPanel);
    form.close();
  } else if (run.quiet()) {
    if (!run.quietByCommandLine) sendToLauncher(context, launcher::kOpenControlPanel);
    form.close();
  }
}

}  // namespace

Status decidePlayerUpdate(const PlayerVersion& installed, bool carriesInstaller,
                          std::int32_t carriedMajor, std::int32_t carriedRelease,
                          bool& updateNeeded) {
  updateNeeded = false;
  if (installed.found) {
    // An installed release of 0 is unknown and never asks for a minor update.
    updateNeeded = carriedMajor > installed.major ||
                   (carriedMajor == installed.major && installed.release != 0 &&
                    carriedRelease > installed.release);
    return status::kSuccess;
  }
  if (!carriesInstaller) return status::kNoPlayer;
  updateNeeded = true;
  return status::kSuccess;
}

bool hasQuietSwitch(const std::vector<std::string>& parameters) {
  for (const std::string& parameter : parameters) {
    if (toLowerAscii(parameter) == "/q") return true;
  }
  return false;
}

void carriedPlayerVersion(std::uint8_t index, std::int32_t& major, std::int32_t& release) {
  static constexpr std::int32_t kMajors[] = {10, 9};
  static constexpr std::int32_t kReleases[] = {12, 124};
  if (index > 1) throw SaverkitError("Range check error");
  major = kMajors[index];
  release = kReleases[index];
}

void runStartupSequence(InstallerContext& context, InstallerForm& form) {
  InstallerView& view = context.platform.view;
  view.showHourglassCursor(true);
  view.repaintInstaller();
  view.setInstallerWidth(kWindowWidth);
  context.layout = WindowLayout{};
  context.state = InstallerState{};
  context.state.osKind = GetOperatingSystem(context.platform.system);
  context.codePage = context.platform.system.ansiCodePage();
  // First of all: from here on the download folder's copy of the installer cannot change.
  context.installerFile = context.platform.files.openForReading(context.platform.process.modulePath(),
                                                               context.installerFileError);
  Sequence run(context);
  runSteps(run, *form.moviePanel());
  releaseCodec(context);
  view.showHourglassCursor(false);
  finish(run, form);
}

}  // namespace saverkit
