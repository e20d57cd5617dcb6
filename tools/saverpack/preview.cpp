// The preview command; see the header.
#include "preview.h"

#include <algorithm>
#include <chrono>
#include <sstream>

#include "header_rules.h"
#include "output_guard.h"
#include "package_reader.h"
#include "preview_show.h"
#include "tool_files.h"
#include "window_listing.h"
#include "wine_session.h"
#include "common/text_helpers.h"
#include "package/package_format.h"

namespace saverpack {

namespace fs = std::filesystem;
using std::chrono::milliseconds;
using std::chrono::seconds;

namespace {

constexpr int kDefaultTimeoutSeconds = 60;
constexpr milliseconds kPollInterval(250);
// In the session's shared folder, which the installer sees as its drive.
constexpr const char* kInstallerName = "setup.exe";
constexpr const char* kPlayerInstallerName = "player_setup.exe";
constexpr const char* kLogName = "install.log";

void say(const CommandContext& context, const std::string& text) {
  context.err << "saverpack: preview: " << text << "\n";
}

int timeoutSeconds(const CommandContext& context) {
  const auto given = context.args.value("--timeout");
  if (!given) return kDefaultTimeoutSeconds;
  const auto parsed = saverkit::parseDecimalInt32(*given);
  if (!parsed || *parsed < 1 || *parsed > 3600) throw usageError("--timeout must be a number of seconds from 1 to 3600");
  return *parsed;
}

// The installer to run, in the session's folder: a copy of the given one, or one built from
// the manifest exactly as "saverpack build" builds it (its warnings included).
fs::path installerFor(const CommandContext& context, const fs::path& input, const fs::path& folder) {
  const fs::path installer = folder / kInstallerName;
  const Bytes start = readWholeFile(input);
  if (looksLikeInstaller(start)) {
    writeFileReplacing(installer, start);
    return installer;
  }
  say(context, "building the installer from " + pathToUtf8(input));
  ParsedArgs args;
  args.positional.push_back(context.args.positional[0]);
  args.add("--output", pathToUtf8(installer));
  args.add("--no-progress", "");
  if (const auto stub = context.args.value("--stub")) args.add("--stub", *stub);
  std::ostringstream wrote;  // "wrote setup.exe ..." names a file that is gone afterwards
  const ExitCode built = runBuild({args, context.programFolder, wrote, context.err});
  if (built != ExitCode::kOk) throw ToolError(built, "preview: the installer was not built");
  return installer;
}

saverkit::PackageHeader headerOf(const fs::path& installer, const std::string& shown, bool show) {
  const PackageReport report = readPackage(readWholeFile(installer), {});
  if (!report.readable) throw invalidInput(quoteText(shown) + " holds no package: it is not a saverpack installer");
  if (!show && report.header.presentationMode == saverkit::kPresentationQuiet) {
    throw invalidInput(quoteText(shown) + " is a quiet package: it installs without a window, so there is "
                       "no window to preview (--show previews its show)");
  }
  return report.header;
}

std::string joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += (text.empty() ? "" : "; ") + line;
  return text;
}

std::string screenText(WineSession& session, const PreviewPrograms& programs) {
  const auto windows = visibleWindows(parseWindowTree(session.runOnDisplay(programs.xwininfo, {"-root", "-tree"}).output));
  if (windows.empty()) return "no window was on the screen";
  std::string text;
  for (const XWindow& window : windows) {
    text += (text.empty() ? "" : ", ") + quoteText(window.title) + " (" + std::to_string(window.width) + " x " +
            std::to_string(window.height) + ")";
  }
  return "on the screen: " + text;
}

// Waits until the installer window is mapped; throws, saying what happened instead, when the
// installer ends first or the time runs out.
XWindow waitForWindow(WineSession& session, const PreviewPrograms& programs, const fs::path& log, int timeout) {
  const auto deadline = std::chrono::steady_clock::now() + seconds(timeout);
  for (;;) {
    const auto tree = parseWindowTree(session.runOnDisplay(programs.xwininfo, {"-root", "-tree"}).output);
    if (const auto window = findInstallerWindow(tree)) {
      const auto state = parseWindowState(session.runOnDisplay(programs.xwininfo, {"-id", window->id}).output);
      if (state && state->viewable) return *window;
    }
    if (const auto code = session.exitedProgram()) {
      throw invalidInput("the installer ended without showing its window (exit status " + std::to_string(*code) +
                         "); " + installerLogSummary(log));
    }
    if (std::chrono::steady_clock::now() > deadline) {
      throw invalidInput("the installer window did not appear within " + std::to_string(timeout) + " s; " +
                         screenText(session, programs) + "; " + installerLogSummary(log));
    }
    WineSession::pause(kPollInterval);
  }
}

// Photographs the window until two pictures in a row are the same, so that a picture or
// movie still being drawn is not caught half-way.
Bytes photograph(WineSession& session, const PreviewPrograms& programs, const XWindow& window) {
  Bytes previous;
  for (int attempt = 0; attempt < 10; ++attempt) {
    const fs::path shot = session.folder() / ("shot" + std::to_string(attempt) + ".png");
    // No time stamps in the file, so that equal pixels give equal bytes.
    const ProgramResult taken =
        session.runOnDisplay(programs.import, {"-window", window.id, "-define", "png:exclude-chunks=date,time", shot.string()});
    if (taken.exitCode != 0) throw ioError("import could not take the window's picture: " + taken.output);
    Bytes current = readWholeFile(shot);
    if (current == previous) return current;
    previous = std::move(current);
    WineSession::pause(milliseconds(400));
  }
  return previous;  // still changing (an animation): the last picture is as good as any
}

void runInSession(const CommandContext& context, WineSession& session, const PreviewPrograms& programs,
                  const std::optional<ShowRequest>& show) {
  const std::string input = context.args.positional[0];
  const fs::path output = pathFromUtf8(*context.args.value("--output"));
  const int timeout = timeoutSeconds(context);
  const fs::path installer = installerFor(context, pathFromUtf8(input), session.shared());
  const saverkit::PackageHeader header = headerOf(installer, input, show.has_value());
  fs::path player;
  if (saverkit::packageNeedsFlashPlayer(header)) {
    const auto stub = context.args.value("--stub");
    player = findPlayerStandIn(stub ? pathFromUtf8(*stub) : fs::path(), context.programFolder);
  }
  say(context, "starting a private display and Wine prefix");
  session.startDisplay();
  session.preparePrefix();
  if (!player.empty()) {
    say(context, "installing the stand-in Flash Player (the package needs a player)");
    writeFileReplacing(session.shared() / kPlayerInstallerName, readWholeFile(player));
    const ProgramResult installed = session.runWine({WineSession::windowsPath(kPlayerInstallerName), "/s"}, seconds(120));
    if (installed.exitCode != 0) {
      throw ioError("the stand-in player's installer " + quoteText(pathToUtf8(player)) + " failed (exit status " +
                    std::to_string(installed.exitCode) + ")");
    }
  }
  if (show) return recordShow(context, session, programs, *show, header, timeout);
  // Boxes are answered unseen (a box would wait for ever) and written to the log, which
  // then says what the installer showed when no window comes.
  const fs::path log = session.shared() / kLogName;
  say(context, "starting the installer and waiting for its window");
  session.startWine({WineSession::windowsPath(kInstallerName), "/suppressmsgboxes", "/log=" + WineSession::windowsPath(kLogName)});
  XWindow window = waitForWindow(session, programs, log, timeout);
  Bytes png = photograph(session, programs, window);
  // A window that was still being laid out when it was first measured is measured again.
  const auto fits = [&window](const Bytes& picture) {
    const std::pair<int, int> size = pngSize(picture).value_or(std::make_pair(-1, -1));
    return size.first == window.width && size.second == window.height;
  };
  for (int retry = 0; retry < 3 && !fits(png); ++retry) {
    WineSession::pause(milliseconds(500));
    window = waitForWindow(session, programs, log, timeout);
    png = photograph(session, programs, window);
  }
  if (!fits(png)) {
    throw ioError("the picture taken is not the window's size (" + std::to_string(window.width) + " x " +
                  std::to_string(window.height) + ")");
  }
  writeFileReplacing(output, png);
  std::error_code error;
  if (fs::exists(log, error)) {
    const Bytes bytes = readWholeFile(log);
    for (const std::string& report : installerReports(std::string(bytes.begin(), bytes.end()))) {
      context.err << "saverpack: warning: before its window appeared, the installer reported: " << report << "\n";
    }
  }
  context.out << "wrote " << pathToUtf8(output) << " (" << window.width << " x " << window.height
              << " pixels, the window " << quoteText(window.title) << ")\n";
}

}  // namespace

std::string installerLogSummary(const fs::path& log) {
  std::error_code error;
  if (!fs::exists(log, error)) return "it wrote no log";
  const Bytes bytes = readWholeFile(log);
  const auto reports = installerReports(std::string(bytes.begin(), bytes.end()));
  return reports.empty() ? "its log names no box or error" : "its log says: " + joined(reports);
}

std::vector<std::string> installerReports(const std::string& log) {
  std::vector<std::string> reports;
  std::istringstream lines(log.rfind("\xEF\xBB\xBF", 0) == 0 ? log.substr(3) : log);
  std::string line;
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line.rfind("status: ", 0) == 0) continue;
    reports.push_back(line);
  }
  return reports;
}

std::optional<std::pair<int, int>> pngSize(const Bytes& png) {
  static const std::uint8_t kSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R'};
  if (png.size() < 24 || !std::equal(std::begin(kSignature), std::end(kSignature), png.begin())) return std::nullopt;
  auto bigEndian = [&](std::size_t at) {
    return int((std::uint32_t(png[at]) << 24 | std::uint32_t(png[at + 1]) << 16 | std::uint32_t(png[at + 2]) << 8 |
                png[at + 3]) &
               0x7FFFFFFF);
  };
  return std::make_pair(bigEndian(16), bigEndian(20));
}

ExitCode runPreview(const CommandContext& context) {
  const fs::path input = pathFromUtf8(context.args.positional[0]);
  const fs::path output = pathFromUtf8(*context.args.value("--output"));
  // Bad values are usage errors before any slow work.
  timeoutSeconds(context);
  const std::optional<ShowRequest> show = showRequest(context.args);
  for (const fs::path& written : show ? showOutputs(*show) : std::vector<fs::path>{output}) {
    InputGuard(written).check(input, "the manifest or installer to preview");
  }
  // The picture's folder is checked before any slow work, not after it.
  std::error_code error;
  const fs::path folder = output.parent_path().empty() ? fs::path(".") : output.parent_path();
  if (!fs::is_directory(folder, error)) {
    throw ioError("cannot write " + quoteText(pathToUtf8(output)) + ": its folder " + quoteText(pathToUtf8(folder)) +
                  " does not exist");
  }
  const PreviewPrograms programs = findPreviewPrograms();
  if (show && show->form != ShowRequest::Form::kFrames && programs.convert.empty()) {
    throw ioError("an animated show is made by ImageMagick's convert, which is not on PATH (package imagemagick); "
                  "-o show.png writes the frames as PNG files without it");
  }
  const auto started = std::chrono::steady_clock::now();
  {
    WineSession session(programs, context.err);
    runInSession(context, session, programs, show);
    say(context, show ? "ending the saver and removing its display, prefix, install and files"
                      : "closing the installer and removing its display, prefix and files");
  }
  const auto tenths = std::chrono::duration_cast<milliseconds>(std::chrono::steady_clock::now() - started).count() / 100;
  say(context, "done in " + std::to_string(tenths / 10) + "." + std::to_string(tenths % 10) + " s");
  return ExitCode::kOk;
}

}  // namespace saverpack
