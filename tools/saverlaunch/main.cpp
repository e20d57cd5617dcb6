// saverlaunch: starts a screen saver installer as its launcher, does what the installer asks
// and ends with the installer's exit code. See usageText() for the whole story.
#include <cstdio>

#include "journal.h"
#include "options.h"
#include "session.h"
#include "text.h"

namespace {

// Log lines are UTF-8; a console shows them right only when told so. Pipes and files (the
// usual case for scripts, and always so under wine) are left alone.
class Utf8Console {
 public:
  Utf8Console() {
    DWORD mode = 0;
    if (GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode)) {
      previous_ = GetConsoleOutputCP();
      SetConsoleOutputCP(CP_UTF8);
    }
  }
  ~Utf8Console() {
    if (previous_ != 0) SetConsoleOutputCP(previous_);
  }
  Utf8Console(const Utf8Console&) = delete;
  Utf8Console& operator=(const Utf8Console&) = delete;

 private:
  UINT previous_ = 0;
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
  using namespace saverlaunch;
  const Options options = parseOptions(argc, argv);
  switch (options.request) {
    case Options::Request::Help:
      std::fputs(usageText(), stdout);
      return 0;
    case Options::Request::Version:
      std::puts("saverlaunch " SAVERLAUNCH_VERSION);
      return 0;
    case Options::Request::Invalid:
      std::fprintf(stderr, "saverlaunch: %s\nTry 'saverlaunch --help' for more information.\n",
                   options.problem.c_str());
      return kUsageError;
    case Options::Request::Run:
      break;
  }

  Utf8Console console;
  Journal journal(options.json);
  std::string problem;
  if (!options.logFile.empty() && !journal.openLogFile(options.logFile, problem)) {
    std::fprintf(stderr, "saverlaunch: %s\n", problem.c_str());
    return kLauncherFailure;
  }
  const int exitCode = runInstaller(options, journal);
  if (options.json) {
    std::fputs((journal.json() + "\n").c_str(), stdout);
    std::fflush(stdout);
  }
  return exitCode;
}
