// Running helper programs for the preview; see the header.
#include "child_process.h"

#include <algorithm>
#include <cstdlib>

namespace saverpack {

std::filesystem::path findOnPath(const std::filesystem::path& name) {
#ifdef _WIN32
  const wchar_t* found = _wgetenv(L"PATH");
  const std::wstring folders = found ? found : L"";
  const wchar_t separator = L';';
#else
  const char* found = std::getenv("PATH");
  const std::string folders = found ? found : "/usr/local/bin:/usr/bin:/bin";
  const char separator = ':';
#endif
  std::size_t start = 0;
  while (start <= folders.size()) {
    const std::size_t end = std::min(folders.find(separator, start), folders.size());
    const std::filesystem::path folder(folders.substr(start, end - start));
    start = end + 1;
    std::error_code error;
    if (folder.is_absolute() && std::filesystem::is_regular_file(folder / name, error)) return folder / name;
  }
  return {};
}

}  // namespace saverpack

#ifndef _WIN32
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <thread>

#include "tool_error.h"

extern char** environ;

namespace saverpack {

namespace fs = std::filesystem;
using std::chrono::milliseconds;

namespace {

volatile sig_atomic_t interruptedBy = 0;
void noteInterrupt(int signal) { interruptedBy = signal; }
constexpr int kInterruptSignals[] = {SIGINT, SIGTERM, SIGHUP};
struct sigaction previousActions[3];

}  // namespace

// While a preview runs, Ctrl-C (and a polite kill) only mark the request: the waits notice it
// and throw, so that the display, the Wine programs and the folder are cleaned up.
void catchInterrupts() {
  interruptedBy = 0;
  struct sigaction action {};
  action.sa_handler = noteInterrupt;
  sigemptyset(&action.sa_mask);
  for (int i = 0; i < 3; ++i) sigaction(kInterruptSignals[i], &action, &previousActions[i]);
}

void restoreInterrupts() {
  for (int i = 0; i < 3; ++i) sigaction(kInterruptSignals[i], &previousActions[i], nullptr);
}

void throwIfInterrupted() {
  if (interruptedBy != 0) throw ioError("interrupted; the preview's display, Wine programs and files are removed");
}


// The environment of a child: of ours only what names the user, the language and where
// programs are, then the session's own settings. Whatever else the author's shell carries
// (tokens, agent sockets, proxies, library paths) stays out of reach of the installer.
std::vector<std::string> childEnvironment(const std::vector<std::string>& settings) {
  static const char* const kPassed[] = {"PATH=", "USER=", "LOGNAME=", "LANG=", "LANGUAGE=", "LC_ALL=",
                                        "LC_CTYPE=", "LC_MESSAGES=", "TZ="};
  std::vector<std::string> environment;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    bool passed = false;
    for (const char* prefix : kPassed) passed = passed || std::strncmp(*entry, prefix, std::strlen(prefix)) == 0;
    if (passed) environment.emplace_back(*entry);
  }
  environment.insert(environment.end(), settings.begin(), settings.end());
  return environment;
}

namespace {

std::vector<char*> pointersTo(std::vector<std::string>& texts) {
  std::vector<char*> pointers;
  for (std::string& text : texts) pointers.push_back(text.data());
  pointers.push_back(nullptr);
  return pointers;
}

}  // namespace

// Starts a program with nothing on its standard input. Its output goes to `outputFd` (or
// nowhere), and `passFd`, when given, becomes its descriptor 3.
int spawnProgram(const fs::path& program, std::vector<std::string> args, std::vector<std::string> environment,
                 int outputFd, int passFd, const fs::path& workingFolder) {
  args.insert(args.begin(), program.string());
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (!workingFolder.empty()) posix_spawn_file_actions_addchdir_np(&actions, workingFolder.c_str());
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  if (outputFd >= 0) {
    posix_spawn_file_actions_adddup2(&actions, outputFd, 1);
    posix_spawn_file_actions_adddup2(&actions, outputFd, 2);
  } else {
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  }
  if (passFd >= 0) posix_spawn_file_actions_adddup2(&actions, passFd, 3);
  pid_t pid = -1;
  const int error = posix_spawn(&pid, program.c_str(), &actions, nullptr, pointersTo(args).data(),
                                pointersTo(environment).data());
  posix_spawn_file_actions_destroy(&actions);
  if (error != 0) throw ioError("cannot start " + program.string() + ": " + std::strerror(error));
  return pid;
}

namespace {
int exitCodeOf(int status) { return WIFEXITED(status) ? WEXITSTATUS(status) : -1; }

}  // namespace

void stopChild(int pid, milliseconds patience) {
  if (pid <= 0) return;
  ::kill(pid, SIGTERM);
  const auto deadline = std::chrono::steady_clock::now() + patience;
  int status = 0;
  while (::waitpid(pid, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, &status, 0);
      return;
    }
    std::this_thread::sleep_for(milliseconds(20));
  }
}

ProgramResult runProgram(const fs::path& program, const std::vector<std::string>& args,
                         const std::vector<std::string>& environment, milliseconds timeout, bool capture,
                         const fs::path& workingFolder) {
  int pipeFds[2] = {-1, -1};
  if (capture && ::pipe2(pipeFds, O_CLOEXEC | O_NONBLOCK) != 0) throw ioError("cannot make a pipe");
  ProgramResult result;
  pid_t pid = -1;
  try {
    pid = spawnProgram(program, args, environment, capture ? pipeFds[1] : -1, -1, workingFolder);
  } catch (...) {
    if (capture) ::close(pipeFds[0]), ::close(pipeFds[1]);
    throw;
  }
  if (capture) ::close(pipeFds[1]);
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  auto drain = [&] {
    char buffer[4096];
    ssize_t got;
    while (capture && (got = ::read(pipeFds[0], buffer, sizeof buffer)) > 0) result.output.append(buffer, std::size_t(got));
  };
  int status = 0;
  for (;;) {
    if (capture) {
      pollfd wait{pipeFds[0], POLLIN, 0};
      ::poll(&wait, 1, 20);
    } else {
      std::this_thread::sleep_for(milliseconds(20));
    }
    drain();
    if (::waitpid(pid, &status, WNOHANG) == pid) {
      drain();
      result.exitCode = exitCodeOf(status);
      break;
    }
    if (interruptedBy != 0 || std::chrono::steady_clock::now() > deadline) {
      stopChild(pid, milliseconds(500));
      result.timedOut = true;
      break;
    }
  }
  if (capture) ::close(pipeFds[0]);
  throwIfInterrupted();
  return result;
}

std::optional<int> exitIfEnded(int pid) {
  int status = 0;
  if (pid > 0 && ::waitpid(pid, &status, WNOHANG) == pid) return exitCodeOf(status);
  return std::nullopt;
}

}  // namespace saverpack
#endif
