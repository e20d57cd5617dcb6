// Command-line parsing and the help text.
#include "options.h"

#include "text.h"

namespace saverlaunch {

namespace {

Options invalid(const std::string& problem) {
  Options options;
  options.request = Options::Request::Invalid;
  options.problem = problem;
  return options;
}

}  // namespace

Options parseOptions(int argc, wchar_t** argv) {
  Options options;
  int at = 1;
  // Options come before the installer only: everything after it belongs to the installer, even
  // when it looks like one of ours.
  for (; at < argc; ++at) {
    const std::wstring argument = argv[at];
    if (argument == L"--") {
      ++at;
      break;
    }
    if (argument.size() < 2 || argument[0] != L'-') break;
    if (argument == L"--help" || argument == L"-h" || argument == L"/?") {
      options.request = Options::Request::Help;
      return options;
    }
    if (argument == L"--version") {
      options.request = Options::Request::Version;
      return options;
    }
    if (argument == L"--json") {
      options.json = true;
    } else if (argument == L"--no-activate") {
      options.activate = false;
    } else if (argument == L"--no-control-panel") {
      options.openControlPanel = false;
    } else if (argument == L"--log" || argument.rfind(L"--log=", 0) == 0) {
      if (argument == L"--log") {
        options.logFile = at + 1 < argc ? argv[++at] : L"";
      } else {
        options.logFile = argument.substr(6);
      }
      if (options.logFile.empty()) return invalid("--log needs a file name");
    } else {
      return invalid("unknown option " + toUtf8(argument));
    }
  }
  if (at >= argc) return invalid("no installer given");
  options.installer = argv[at];
  options.arguments.assign(argv + at + 1, argv + argc);
  return options;
}

const char* usageText() {
  return
      "Usage: saverlaunch [OPTIONS] INSTALLER [ARGS...]\n"
      "\n"
      "Starts a screen saver installer as its launcher would and carries out what the\n"
      "installer asks for: it makes the installed screen saver the active one and opens\n"
      "the screen saver page of the Display control panel. Every request is logged.\n"
      "\n"
      "Options (before INSTALLER; everything after it is passed to the installer):\n"
      "  --json              print one JSON object on standard output at the end; the\n"
      "                      log lines then go to standard error\n"
      "  --log FILE          also append the log lines to FILE (created if missing)\n"
      "  --no-activate       do not change the active screen saver (logged as skipped)\n"
      "  --no-control-panel  do not open the control panel (logged as skipped)\n"
      "  --help              show this text\n"
      "  --version           show the version\n"
      "  --                  end of options (for an INSTALLER that begins with '-')\n"
      "\n"
      "The installer runs as: INSTALLER /l=<window> ARGS...  where <window> is the\n"
      "decimal handle of the launcher's hidden window. ARGS are passed unchanged (quoted\n"
      "as needed); \"/q\" asks the installer for a quiet install.\n"
      "\n"
      "Protocol: the installer sends WM_COPYDATA messages (dwData 0, text and its NUL):\n"
      "  read installer heard file    the installer has read its package     (noted)\n"
      "  quiet installer              the installer runs quietly             (noted)\n"
      "  makeActiveSaver-NAME.scr     make SYSTEM\\NAME.scr the active screen saver:\n"
      "                               HKCU\\Control Panel\\Desktop SCRNSAVE.EXE = its\n"
      "                               path, ScreenSaveActive = 1, and the change is\n"
      "                               broadcast. Refused unless NAME.scr is a bare\n"
      "                               file name; fails when the file does not exist.\n"
      "  openScreenSaverControlPanel  start control.exe on the Display control panel's\n"
      "                               screen saver page (not waited for)\n"
      "Other commands are logged and ignored. When its window closes the installer\n"
      "posts message 0x0501 to the launcher (logged as \"closed\").\n"
      "\n"
      "JSON output: {\"installer\": path, \"arguments\": [what the installer got, \"/l=...\"\n"
      "first], \"exitCode\": N, \"commands\": [{\"text\", \"action\", \"detail\"}...],\n"
      "\"closed\": true|false, \"activeSaver\": the path this run activated, or \"\"}.\n"
      "Actions: noted, activated, skipped, refused, opened, failed, ignored. When the\n"
      "installer cannot start, the object also has \"error\".\n"
      "\n"
      "Exit codes:\n"
      "  the installer's own exit code, all 32 bits of it (in a quiet install: 0 for\n"
      "  success, negative for the installer's own errors, positive for Windows errors;\n"
      "  0 otherwise), or one of the launcher's own:\n"
      "  9008  bad command line\n"
      "  9009  the installer is missing or cannot be started\n"
      "  9010  the launcher failed (log file, window, or waiting for the installer)\n";
}

}  // namespace saverlaunch
