// The preview's private display and Wine prefix; see the header.
#include "wine_session.h"

#include "file_io.h"
#include "header_rules.h"
#include "tool_error.h"

#ifndef _WIN32
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/random.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "child_process.h"
#endif

namespace saverpack {

namespace fs = std::filesystem;
using std::chrono::milliseconds;
using std::chrono::seconds;

namespace {

// The one drive the installer sees: the session's exchange folder.
constexpr const char* kSharedDrive = "S:";

constexpr const char* kDebianAdvice =
    "On Debian: dpkg --add-architecture i386 && apt-get update && "
    "apt-get install wine wine32:i386 xvfb x11-utils imagemagick";

}  // namespace

std::string WineSession::windowsPath(const std::string& name) { return std::string(kSharedDrive) + "\\" + name; }

#ifdef _WIN32

PreviewPrograms findPreviewPrograms() {
  throw ioError("preview runs the installer under Wine on a private X display, so it needs Linux with Wine. "
                "On Windows, run the installer itself only on a test machine: it runs with administrator rights "
                "and, before its window appears, removes files, creates folders and may start the player "
                "installer it carries");
}
WineSession::WineSession(PreviewPrograms programs, std::ostream& progress)
    : programs_(std::move(programs)), progress_(progress) {}
WineSession::~WineSession() = default;
void WineSession::startDisplay() {}
void WineSession::preparePrefix() {}
ProgramResult WineSession::runWine(const std::vector<std::string>&, milliseconds) { return {}; }
void WineSession::startWine(const std::vector<std::string>&) {}
std::optional<int> WineSession::exitedProgram() { return -1; }
ProgramResult WineSession::runOnDisplay(const fs::path&, const std::vector<std::string>&) { return {}; }
void WineSession::pause(milliseconds) {}

#else

namespace {

fs::path cacheFolder() {
  if (const char* cache = std::getenv("XDG_CACHE_HOME"); cache && *cache == '/') return fs::path(cache) / "saverkit";
  if (const char* home = std::getenv("HOME"); home && *home) return fs::path(home) / ".cache" / "saverkit";
  throw ioError("preview keeps a Wine prefix in the cache folder, but neither XDG_CACHE_HOME nor HOME is set");
}

// Session folders are named run-<process id>-XXXXXX; one whose process is gone was left by a
// preview that was killed outright.
void removeAbandonedSessions(const fs::path& cache) {
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(cache, error)) {
    const std::string name = entry.path().filename().string();
    if (name.rfind("run-", 0) != 0) continue;
    const long owner = std::strtol(name.c_str() + 4, nullptr, 10);
    if (owner > 0 && ::kill(pid_t(owner), 0) != 0 && errno == ESRCH) fs::remove_all(entry.path(), error);
  }
}

std::string folderSafe(const std::string& text) {
  std::string safe;
  for (const char c : text) {
    if (c == '\n') break;
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '-';
    if (plain) safe += c;
    else if (!safe.empty() && safe.back() != '_') safe += '_';
  }
  return safe;
}

std::string lastLines(const std::string& output) {
  std::string text = output.size() > 600 ? output.substr(output.size() - 600) : output;
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  return text.empty() ? "(no output)" : text;
}

}  // namespace

PreviewPrograms findPreviewPrograms() {
  PreviewPrograms programs{findOnPath("wine"), findOnPath("wineserver"), findOnPath("Xvfb"),
                           findOnPath("xwininfo"), findOnPath("import"), findOnPath("cp"), findOnPath("convert")};
  std::string missing;
  const std::pair<const fs::path*, const char*> needed[] = {
      {&programs.wine, "wine (package wine, with wine32:i386)"}, {&programs.wineserver, "wineserver (package wine)"},
      {&programs.xvfb, "Xvfb (package xvfb)"}, {&programs.xwininfo, "xwininfo (package x11-utils)"},
      {&programs.import, "import (package imagemagick)"}, {&programs.copy, "cp (package coreutils)"}};
  for (const auto& [path, what] : needed) {
    if (path->empty()) missing += std::string(missing.empty() ? "" : ", ") + what;
  }
  if (!missing.empty()) {
    throw ioError("preview runs the installer under Wine on a private X display; not found on PATH: " + missing +
                  ". " + kDebianAdvice);
  }
  return programs;
}

WineSession::WineSession(PreviewPrograms programs, std::ostream& progress)
    : programs_(std::move(programs)), progress_(progress), cache_(cacheFolder()) {
  std::error_code error;
  fs::create_directories(cache_, error);
  removeAbandonedSessions(cache_);
  std::string pattern = pathToUtf8(cache_ / ("run-" + std::to_string(::getpid()) + "-XXXXXX"));
  if (error || ::mkdtemp(pattern.data()) == nullptr) {
    throw ioError("cannot make a folder in " + quoteText(pathToUtf8(cache_)) + ": " + std::strerror(errno));
  }
  folder_ = pattern;
  fs::create_directory(folder_ / "tmp", error);
  fs::create_directory(shared(), error);
  catchInterrupts();
}

WineSession::~WineSession() {
  endWine();
  stopChild(displayProcess_, milliseconds(3000));
  std::error_code error;
  if (!folder_.empty()) fs::remove_all(folder_, error);
  restoreInterrupts();
}

void WineSession::endWine() noexcept {
  try {
    // The prefix is the session's own, so ending every program in it ends only ours.
    if (wineUsed_) {
      const auto environment = wineEnvironment(prefix_, false);
      runProgram(programs_.wineserver, {"-k"}, environment, seconds(15), false);
      runProgram(programs_.wineserver, {"-w"}, environment, seconds(15), false);
    }
  } catch (...) {
    // Interrupted while cleaning up: go on with the rest.
  }
  if (startedProgram_ > 0 && !startedExit_) stopChild(startedProgram_, milliseconds(1000));
}

// What every program of the session gets besides the little childEnvironment passes on: a home
// inside the session, so that nothing Wine or an X program writes there lands in the author's.
std::vector<std::string> WineSession::sessionSettings() const {
  return {"HOME=" + folder_.string(), "DISPLAY=" + display_, "XAUTHORITY=" + authorityFile().string()};
}

std::vector<std::string> WineSession::wineEnvironment(const fs::path& prefix, bool forTemplate) const {
  std::vector<std::string> settings = sessionSettings();
  settings.insert(settings.end(), {
      "WINEPREFIX=" + prefix.string(), "WINEDEBUG=-all",
      // Wine's server keeps its socket folder in TMPDIR: inside the session, it goes with it.
      "TMPDIR=" + (folder_ / "tmp").string(),
      // No menu entries on the user's desktop; no offer to download Mono or Gecko.
      forTemplate ? "WINEDLLOVERRIDES=winemenubuilder.exe=d;mscoree=d;mshtml=d" : "WINEDLLOVERRIDES=winemenubuilder.exe=d"});
  if (forTemplate) settings.push_back("WINEARCH=win32");
  return childEnvironment(settings);
}

// The display admits only programs that show its cookie: without one, any program of any user
// on this machine could watch the installer's window or type into it. One entry for every
// address and display number, so the file can be written before Xvfb has picked its number.
void WineSession::writeAuthority() const {
  std::uint8_t cookie[16];
  if (::getrandom(cookie, sizeof cookie, 0) != ssize_t(sizeof cookie)) throw ioError("cannot make a display cookie");
  static const char kScheme[] = "MIT-MAGIC-COOKIE-1";
  std::string record;
  const auto field = [&record](const void* bytes, std::size_t size) {
    record += char(size >> 8), record += char(size & 0xFF);
    record.append(static_cast<const char*>(bytes), size);
  };
  record += "\xFF\xFF";  // FamilyWild
  field("", 0);            // any address
  field("", 0);            // any display number
  field(kScheme, sizeof kScheme - 1);
  field(cookie, sizeof cookie);
  const int fd = ::open(authorityFile().c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  const bool written = fd >= 0 && ::write(fd, record.data(), record.size()) == ssize_t(record.size());
  if (fd >= 0) ::close(fd);
  if (!written) throw ioError("cannot write the display's authority file in " + quoteText(pathToUtf8(folder_)));
}

void WineSession::startDisplay() {
  writeAuthority();
  int pipeFds[2];
  if (::pipe2(pipeFds, O_CLOEXEC) != 0) throw ioError("cannot make a pipe");
  // -displayfd lets Xvfb take the first free display number and tell us which: no race with
  // another display starting at the same moment.
  try {
    const std::string screen = std::to_string(kScreenWidth) + "x" + std::to_string(kScreenHeight) + "x24";
    displayProcess_ = spawnProgram(programs_.xvfb, {"-displayfd", "3", "-auth", authorityFile().string(), "-screen", "0",
                                                    screen, "-nolisten", "tcp"},
                                   childEnvironment({"HOME=" + folder_.string()}), -1, pipeFds[1]);
  } catch (...) {
    ::close(pipeFds[0]), ::close(pipeFds[1]);
    throw;
  }
  ::close(pipeFds[1]);
  std::string number;
  const auto deadline = std::chrono::steady_clock::now() + seconds(15);
  while (number.find('\n') == std::string::npos && std::chrono::steady_clock::now() < deadline) {
    pollfd wait{pipeFds[0], POLLIN, 0};
    if (::poll(&wait, 1, 100) > 0) {
      char buffer[32];
      const ssize_t got = ::read(pipeFds[0], buffer, sizeof buffer);
      if (got <= 0) break;  // Xvfb ended
      number.append(buffer, std::size_t(got));
    }
    throwIfInterrupted();
  }
  ::close(pipeFds[0]);
  if (number.find('\n') == std::string::npos) throw ioError("Xvfb did not start a display (" + programs_.xvfb.string() + ")");
  display_ = ":" + number.substr(0, number.find('\n'));
}

fs::path WineSession::makeTemplate(const fs::path& where, const std::string& wineVersion) {
  progress_ << "saverpack: preview: making a Wine prefix for previews in " << pathToUtf8(where)
            << " (once for this Wine; about 20 s)\n";
  const fs::path partial = where.string() + ".partial-" + std::to_string(::getpid());
  std::error_code error;
  fs::remove_all(partial, error);
  const auto environment = wineEnvironment(partial, true);
  wineUsed_ = true;
  prefix_ = partial;
  const ProgramResult boot = runProgram(programs_.wine, {"wineboot", "-i"}, environment, seconds(300), true);
  runProgram(programs_.wineserver, {"-w"}, environment, seconds(60), false);
  if (boot.exitCode != 0 || !fs::exists(partial / "system.reg")) {
    fs::remove_all(partial, error);
    throw ioError("Wine could not make a 32-bit prefix (wineboot " +
                  (boot.timedOut ? std::string("did not finish") : "ended with " + std::to_string(boot.exitCode)) +
                  "): " + lastLines(boot.output) + "\n" + kDebianAdvice);
  }
  // Without a window manager, Wine waits on every hidden window unless it draws the frames itself.
  runProgram(programs_.wine, {"reg", "add", "HKCU\\Software\\Wine\\X11 Driver", "/v", "Managed", "/t", "REG_SZ",
                              "/d", "N", "/f"},
             environment, seconds(60), false);
  runProgram(programs_.wineserver, {"-w"}, environment, seconds(60), false);
  // Wine links Desktop, Documents and the like to the user's home: an installer's read-me or
  // a saver's files must never land there, so they become folders of the prefix.
  for (const auto& user : fs::directory_iterator(partial / "drive_c" / "users", error)) {
    for (const auto& entry : fs::directory_iterator(user.path(), error)) {
      if (!entry.is_symlink()) continue;
      fs::remove(entry.path(), error);
      fs::create_directory(entry.path(), error);
    }
  }
  writeFileReplacing(partial / ".saverkit-template", Bytes(wineVersion.begin(), wineVersion.end()));
  fs::rename(partial, where, error);
  if (error) fs::remove_all(partial, error);  // another preview made it at the same time
  if (!fs::exists(where / ".saverkit-template")) throw ioError("cannot keep the Wine prefix in " + pathToUtf8(where));
  return where;
}

void WineSession::preparePrefix() {
  const ProgramResult version = runProgram(programs_.wine, {"--version"}, childEnvironment({"HOME=" + folder_.string()}),
                                           seconds(30), true);
  if (version.exitCode != 0) {
    throw ioError("wine does not run (" + lastLines(version.output) + "). " + kDebianAdvice);
  }
  const fs::path templatePrefix = cache_ / ("wineprefix-win32-" + folderSafe(version.output));
  if (!fs::exists(templatePrefix / ".saverkit-template")) makeTemplate(templatePrefix, version.output);
  progress_ << "saverpack: preview: copying the Wine prefix\n";
  prefix_ = folder_ / "prefix";
  const ProgramResult copied = runProgram(programs_.copy, {"-a", "--reflink=auto", templatePrefix.string(), prefix_.string()},
                                          childEnvironment({}), seconds(300), true);
  if (copied.exitCode != 0) throw ioError("cannot copy the Wine prefix: " + lastLines(copied.output));
  limitDrives();
}

// A prefix maps Z: to the root of the Linux file system, and serial ports to devices. The
// installer gets one drive instead, the session's exchange folder, which holds only what it is
// given. (Wine is no sandbox: a program can still reach Linux by its own means; this keeps the
// ordinary ways of an installer, a path or a folder dialog, inside the session.)
void WineSession::limitDrives() {
  const fs::path devices = prefix_ / "dosdevices";
  std::error_code error;
  std::vector<fs::path> others;
  for (const auto& entry : fs::directory_iterator(devices, error)) {
    if (entry.path().filename() != "c:") others.push_back(entry.path());
  }
  for (const fs::path& other : others) fs::remove(other, error);
  fs::create_directory_symlink(shared(), devices / "s:", error);
  if (error || fs::exists(devices / "z:")) {
    throw ioError("cannot limit the Wine prefix's drives in " + quoteText(pathToUtf8(devices)));
  }
}

ProgramResult WineSession::runWine(const std::vector<std::string>& args, milliseconds timeout) {
  wineUsed_ = true;
  return runProgram(programs_.wine, args, wineEnvironment(prefix_, false), timeout, false, shared());
}

void WineSession::startWine(const std::vector<std::string>& args) {
  wineUsed_ = true;
  startedProgram_ = spawnProgram(programs_.wine, args, wineEnvironment(prefix_, false), -1, -1, shared());
  startedExit_.reset();
}

std::optional<int> WineSession::exitedProgram() {
  if (!startedExit_) startedExit_ = exitIfEnded(startedProgram_);
  return startedExit_;
}

ProgramResult WineSession::runOnDisplay(const fs::path& program, const std::vector<std::string>& args) {
  return runProgram(program, args, childEnvironment(sessionSettings()), seconds(30), true);
}

void WineSession::pause(milliseconds length) {
  const auto until = std::chrono::steady_clock::now() + length;
  while (std::chrono::steady_clock::now() < until) {
    throwIfInterrupted();
    std::this_thread::sleep_for(milliseconds(20));
  }
  throwIfInterrupted();
}

#endif

}  // namespace saverpack
