// The show recorded under Wine; see the header.
#include "preview_show.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <set>

#include "file_io.h"
#include "header_rules.h"
#include "preview.h"
#include "tool_error.h"
#include "common/text_helpers.h"

namespace saverpack {

namespace fs = std::filesystem;
using std::chrono::milliseconds;
using std::chrono::seconds;

namespace {

constexpr int kMostFrames = 120;
// The first frame waits for the first picture to fade in, so that it is not half drawn.
constexpr milliseconds kSettle(2000);
constexpr const char* kLogName = "install.log";

int secondsOption(const ParsedArgs& args, const std::string& name, int fallback, int least, int most) {
  const auto given = args.value(name);
  if (!given) return fallback;
  const auto parsed = saverkit::parseDecimalInt32(*given);
  if (!parsed || *parsed < least || *parsed > most) {
    throw usageError(name + " must be a number of seconds from " + std::to_string(least) + " to " + std::to_string(most));
  }
  return *parsed;
}

std::string lowered(std::string text) {
  for (char& c : text) c = char(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// The screen savers in the prefix's system folder, by their Linux file names.
std::set<std::string> saversIn(const fs::path& systemFolder) {
  std::set<std::string> names;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(systemFolder, error)) {
    const std::string name = entry.path().filename().string();
    if (lowered(entry.path().extension().string()) == ".scr") names.insert(name);
  }
  return names;
}

void installQuietly(WineSession& session) {
  const fs::path log = session.shared() / kLogName;
  const ProgramResult installed = session.runWine(
      {WineSession::windowsPath("setup.exe"), "/q", "/suppressmsgboxes", "/log=" + WineSession::windowsPath(kLogName)},
      seconds(300));
  if (installed.exitCode != 0) {
    throw invalidInput("the installer did not install the saver (exit status " + std::to_string(installed.exitCode) +
                       "); " + installerLogSummary(log));
  }
}

XWindow waitForShow(WineSession& session, const PreviewPrograms& programs, const std::string& saver, int timeout) {
  const auto deadline = std::chrono::steady_clock::now() + seconds(timeout);
  for (;;) {
    const auto tree = parseWindowTree(session.runOnDisplay(programs.xwininfo, {"-root", "-tree"}).output);
    if (const auto window = findFullScreenWindow(tree, WineSession::kScreenWidth, WineSession::kScreenHeight)) {
      const auto state = parseWindowState(session.runOnDisplay(programs.xwininfo, {"-id", window->id}).output);
      if (state && state->viewable) return *window;
    }
    if (const auto code = session.exitedProgram()) {
      throw invalidInput(quoteText(saver) + " /s ended without showing anything full screen (exit status " +
                         std::to_string(*code) + ")");
    }
    if (std::chrono::steady_clock::now() > deadline) {
      throw invalidInput(quoteText(saver) + " /s showed nothing full screen within " + std::to_string(timeout) + " s");
    }
    WineSession::pause(milliseconds(250));
  }
}

// The whole screen at the request's times, as PNG files in the session's folder.
std::vector<fs::path> takeFrames(WineSession& session, const PreviewPrograms& programs, const ShowRequest& request,
                                 const std::string& saver) {
  std::vector<fs::path> frames;
  const auto start = std::chrono::steady_clock::now() + kSettle;
  for (int index = 0; index < frameCount(request); ++index) {
    const auto due = start + seconds(std::int64_t(index) * request.everySeconds);
    const auto now = std::chrono::steady_clock::now();
    if (due > now) WineSession::pause(std::chrono::duration_cast<milliseconds>(due - now));
    if (session.exitedProgram()) {
      throw invalidInput(quoteText(saver) + " ended after " + std::to_string(frames.size()) + " of " +
                         std::to_string(frameCount(request)) + " frames");
    }
    char name[32];
    std::snprintf(name, sizeof name, "frame-%03d.png", index + 1);
    const fs::path frame = session.folder() / name;
    const ProgramResult taken =
        session.runOnDisplay(programs.import, {"-window", "root", "-define", "png:exclude-chunks=date,time", frame.string()});
    if (taken.exitCode != 0) throw ioError("import could not take the screen's picture: " + taken.output);
    frames.push_back(frame);
  }
  return frames;
}

void writeAnimation(WineSession& session, const PreviewPrograms& programs, const ShowRequest& request,
                    const std::vector<fs::path>& frames) {
  const fs::path joined = session.folder() / (request.form == ShowRequest::Form::kGif ? "show.gif" : "show.webp");
  std::vector<std::string> args = {"-delay", std::to_string(request.everySeconds * 100), "-loop", "0"};
  for (const fs::path& frame : frames) args.push_back(frame.string());
  args.push_back(joined.string());
  const ProgramResult made = session.runOnDisplay(programs.convert, args);
  if (made.exitCode != 0) throw ioError("ImageMagick's convert could not make the animation: " + made.output);
  writeFileReplacing(request.output, readWholeFile(joined));
}

}  // namespace

std::optional<ShowRequest> showRequest(const ParsedArgs& args) {
  if (!args.has("--show")) {
    for (const char* option : {"--every", "--for"}) {
      if (args.has(option)) throw usageError(std::string(option) + " goes with --show");
    }
    return std::nullopt;
  }
  ShowRequest request;
  request.output = pathFromUtf8(*args.value("--output"));
  const std::string extension = lowered(request.output.extension().string());
  if (extension == ".gif") request.form = ShowRequest::Form::kGif;
  else if (extension == ".webp") request.form = ShowRequest::Form::kWebp;
  else if (extension != ".png") {
    throw usageError("--show writes PNG frames (-o show.png gives show-01.png, show-02.png, ...) or an animation "
                     "(-o show.gif or show.webp), not " + quoteText(pathToUtf8(request.output)));
  }
  request.everySeconds = secondsOption(args, "--every", request.everySeconds, 1, 600);
  request.forSeconds = secondsOption(args, "--for", request.forSeconds, 0, 3600);
  if (frameCount(request) > kMostFrames) {
    throw usageError("--for " + std::to_string(request.forSeconds) + " --every " + std::to_string(request.everySeconds) +
                     " makes " + std::to_string(frameCount(request)) + " frames; at most " +
                     std::to_string(kMostFrames) + " are taken");
  }
  return request;
}

int frameCount(const ShowRequest& request) { return request.forSeconds / request.everySeconds + 1; }

std::vector<fs::path> showOutputs(const ShowRequest& request) {
  if (request.form != ShowRequest::Form::kFrames) return {request.output};
  std::vector<fs::path> outputs;
  const int count = frameCount(request);
  const int width = count >= 100 ? 3 : 2;
  for (int index = 1; index <= count; ++index) {
    char number[16];
    std::snprintf(number, sizeof number, "-%0*d", width, index);
    outputs.push_back(request.output.parent_path() /
                      (request.output.stem().string() + number + request.output.extension().string()));
  }
  return outputs;
}

std::optional<XWindow> findFullScreenWindow(const std::vector<XWindow>& windows, int width, int height) {
  for (const XWindow& window : windows) {
    if (window.left <= 0 && window.top <= 0 && window.left + window.width >= width &&
        window.top + window.height >= height) {
      return window;
    }
  }
  return std::nullopt;
}

void recordShow(const CommandContext& context, WineSession& session, const PreviewPrograms& programs,
                const ShowRequest& request, const saverkit::PackageHeader& header, int timeoutSeconds) {
  const fs::path systemFolder = session.prefix() / "drive_c" / "windows" / "system32";
  const std::set<std::string> before = saversIn(systemFolder);
  context.err << "saverpack: preview: installing " << quoteText(header.saverName) << " quietly\n";
  installQuietly(session);
  std::vector<std::string> added;
  for (const std::string& name : saversIn(systemFolder)) {
    if (!before.count(name)) added.push_back(name);
  }
  if (added.size() != 1) {
    throw invalidInput("the install put " + std::to_string(added.size()) +
                       " new screen savers into the system folder; one was expected");
  }
  const std::string saver = added.front();
  context.err << "saverpack: preview: running " << saver << " /s and taking " << frameCount(request)
              << " pictures of the screen, " << request.everySeconds << " s apart\n";
  session.startWine({"C:\\windows\\system32\\" + saver, "/s"});
  waitForShow(session, programs, saver, timeoutSeconds);
  const std::vector<fs::path> frames = takeFrames(session, programs, request, saver);
  const std::vector<fs::path> outputs = showOutputs(request);
  if (request.form == ShowRequest::Form::kFrames) {
    for (std::size_t i = 0; i < frames.size(); ++i) writeFileReplacing(outputs[i], readWholeFile(frames[i]));
  } else {
    writeAnimation(session, programs, request, frames);
  }
  context.out << "wrote " << pathToUtf8(outputs.front());
  if (outputs.size() > 1) context.out << " to " << pathToUtf8(outputs.back());
  context.out << " (" << frames.size() << (frames.size() == 1 ? " picture" : " pictures") << " of the show, "
              << WineSession::kScreenWidth << " x " << WineSession::kScreenHeight << " pixels, "
              << request.everySeconds << " s apart)\n";
}

}  // namespace saverpack
