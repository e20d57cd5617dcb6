// The startup sequence; see the header.
#include "installer/startup_sequence.h"

#include "common/saverkit_error.h"
#include "common/text_helpers.h"
#include "flash/player_detection.h"
#include "flash/player_policy.h"
#include "installer/presentation.h"
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
    showInstallError(context, run.status, localCompanyFolder(platform.system));
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
  // One message for each "/q" given, as launchers have always counted them.
  for (int quiet = 0; quiet < context.quietSwitches; ++quiet) {
    context.state.installMode = kModeQuiet;
    sendToLauncher(context, launcher::kQuietInstaller);
    run.quietByCommandLine = true;
  }
  if (run.quiet()) {
    context.view.movePreparingOffScreen();
  } else {
    context.view.centerPreparingOnScreen();
  }
}

// Steps 8 to 13: the installed player against the carried one.
void checkPlayer(Sequence& run) {
  InstallerContext& context = run.context;
  InstallerState& state = context.state;
  const PackageHeader& header = context.header;
  run.installed = getInstalledFlashPlayerVersion(context.flash, kStartupPlayerAttempts);
  if (header.carriesFlashInstaller) {
    carriedPlayerVersion(header.flashVersionIndex, state.carriedPlayerMajor, state.carriedPlayerRelease);
  }
  run.status = verifyFlashAXInstallerCanRunOnThisMachine(context.platform.system, state.carriedPlayerMajor);
  // A player installer runs only from the working folder, where the run holds it; one that a
  // package sends elsewhere is not found, as it never was (-401).
  std::string playerInstaller = slotPath(context, static_cast<int>(kSlotFlashInstaller));
  if (!landsInWorkingFolder(header.entries[kSlotFlashInstaller])) playerInstaller.clear();
  if (run.good() && header.carriesFlashInstaller) {
    run.status = extractFlashInstaller(context);
    // Held until the window closes, so that nobody can put another program in its place before
    // it is started.
    Status ignored = 0;
    if (run.good()) context.heldPlayerInstaller = context.platform.files.openForReading(playerInstaller, ignored);
  }
  if (!run.good()) return;
  run.status = decidePlayerUpdate(run.installed, header.carriesFlashInstaller, state.carriedPlayerMajor,
                                  state.carriedPlayerRelease, state.playerUpdateNeeded);
  if (run.good() && state.playerUpdateNeeded) {
    run.status = handleFlashActiveXControlUpdate(context.flash, playerInstaller, state.carriedPlayerMajor,
                                                 state.carriedPlayerRelease);
  }
}

// A new client height moves the button panel and the licence box, as every resize does.
void applyLayoutAfterResize(InstallerContext& context) {
  WindowLayout& layout = context.layout;
  applyResizeRule(layout, layout.clientWidth, layout.clientHeight);
  context.view.applyLayout(layout);
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
      const std::string path = slotPath(context, static_cast<int>(kSlotLicense));
      Status error = 0;
      std::string text;
      if (auto file = platform.files.openForReading(path, error)) {
        text.resize(static_cast<std::size_t>(file->size()));
        std::size_t got = 0;
        file->read(text.data(), text.size(), got);
        text.resize(got);
      }
      context.view.setLicenseText(text);
      setupLicenseMode(layout);
      context.view.setControlCaption(Control::kInstallButton, platform.texts.text(TextId::kButtonAcceptAndInstall));
      context.view.setControlVisible(Control::kCancelButton, true);
    }
  } else {
    setupPlainMode(layout);
    context.view.setControlCaption(Control::kInstallButton, platform.texts.text(TextId::kInstall));
  }
  placeButtons(layout);
  context.view.setControlCaption(Control::kCancelButton, platform.texts.text(TextId::kButtonCancel));
  context.view.setControlCaption(Control::kDoneButton, platform.texts.text(TextId::kButtonClose));
  context.view.applyLayout(layout);
}

// Step 17: the picture or the movie.
void showPresentation(Sequence& run, FlashPanel& moviePanel) {
  InstallerContext& context = run.context;
  InstallerView& view = context.view;
  const std::string path = slotPath(context, static_cast<int>(kSlotPresentation));
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
  InstallerView& view = context.view;
  view.movePreparingOffScreen();
  view.setProgressMaximum(kProgressMaximum);
  arrangeButtons(context.layout, context.state.hasLicense);
  applyLayoutAfterResize(context);
  view.centerInstallerOnScreen();
}

// The startup's steps in their order, each with the condition it runs under; a step that fails
// leaves its status, and every later step then finds the sequence no longer good.
struct Step {
  const char* name;
  bool (*runsWhen)(const Sequence&);
  void (*run)(Sequence&, FlashPanel&);
};

bool always(const Sequence&) { return true; }
bool good(const Sequence& run) { return run.good(); }
bool goodWithWindow(const Sequence& run) { return run.good() && !run.quiet(); }
// A picture saver that says it needs no player installs where none exists, as on every Windows
// since the player was withdrawn.
bool goodAndNeedsPlayer(const Sequence& run) { return run.good() && packageNeedsFlashPlayer(run.context.header); }
// The header's mode decides, not "/q": a quiet run still extracts a presentation the package has.
bool goodWithPresentation(const Sequence& run) {
  return run.good() && run.context.header.presentationMode != kModeQuiet;
}
bool goodShownWindow(const Sequence& run) { return run.good() && !run.quiet() && !run.movieFallback; }
bool goodAndQuiet(const Sequence& run) { return run.good() && run.quiet(); }

const Step kSteps[] = {
    {"package", always, [](Sequence& run, FlashPanel&) { preparePackage(run); }},
    {"command line", good, [](Sequence& run, FlashPanel&) { readCommandLine(run); }},
    {"product paths", good, [](Sequence& run, FlashPanel&) { run.status = setProductPaths(run.context); }},
    {"read-me", good,
     [](Sequence& run, FlashPanel&) {
       run.context.state.hasReadMe = run.context.header.hasReadMe;
       if (run.context.state.hasReadMe) run.status = extractReadMe(run.context);
     }},
    {"player", goodAndNeedsPlayer, [](Sequence& run, FlashPanel&) { checkPlayer(run); }},
    {"title", goodWithWindow,
     [](Sequence& run, FlashPanel&) {
       const std::string title = makeWindowTitle(run.context.platform.texts, run.context.saverName);
       run.context.view.setInstallerCaption(title);
       run.context.view.setApplicationTitle(title);
     }},
    {"window mode", goodWithWindow, [](Sequence& run, FlashPanel&) { setUpWindowMode(run); }},
    {"presentation", goodWithPresentation,
     [](Sequence& run, FlashPanel&) { run.status = extractPresentation(run.context); }},
    {"show", goodWithWindow, [](Sequence& run, FlashPanel& panel) { showPresentation(run, panel); }},
    {"window", goodShownWindow, [](Sequence& run, FlashPanel&) { presentWindow(run.context); }},
    {"quiet install", goodAndQuiet,
     [](Sequence& run, FlashPanel&) { run.context.exitCode = runInstall(run.context); }},
};

void runSteps(Sequence& run, FlashPanel& moviePanel) {
  for (const Step& step : kSteps) {
    if (!step.runsWhen(run)) continue;
    run.context.startupStepsRun.push_back(step.name);
    step.run(run, moviePanel);
  }
}

void finish(Sequence& run, InstallerForm& form) {
  InstallerContext& context = run.context;
  if (!run.good()) {
    // A quiet run that could not even start must not look like a success to its caller.
    if (run.quiet() || context.quietSwitches > 0) {
      context.exitCode = run.status;
    }
    if (const auto message = startupFailureMessage(context.platform.texts, run.status)) {
      context.view.showDialog(message->kind, message->text);
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

int countQuietSwitches(const std::vector<std::string>& parameters) {
  int count = 0;
  for (const std::string& parameter : parameters) count += toLowerAscii(parameter) == "/q";
  return count;
}

void runStartupSequence(InstallerContext& context, InstallerForm& form) {
  InstallerView& view = context.view;
  view.showHourglassCursor(true);
  view.repaintInstaller();
  view.setInstallerWidth(kWindowWidth);
  context.layout = WindowLayout{};
  context.state = InstallerState{};
  context.state.osKind = GetOperatingSystem(context.platform.system);
  context.codePage = context.platform.system.ansiCodePage();
  context.startupStepsRun.clear();
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
