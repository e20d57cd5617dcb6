// The launcher's command line and its own exit codes.
#pragma once

#include <string>
#include <vector>

namespace saverlaunch {

// The launcher's own failures. Any 32-bit value can come back from an installer, so these sit
// where an installer's codes never do: its own codes are negative and its system codes come
// from file and registry work, which never yields the 9000s (network name service errors).
inline constexpr int kUsageError = 9008;         // a bad command line
inline constexpr int kInstallerNotStarted = 9009;  // missing, or not a program Windows can start
inline constexpr int kLauncherFailure = 9010;    // no log file, no window, or the wait failed

struct Options {
  enum class Request { Run, Help, Version, Invalid };
  Request request = Request::Run;
  std::string problem;  // why the command line is invalid
  bool json = false;
  bool activate = true;
  bool openControlPanel = true;
  std::wstring logFile;
  std::wstring installer;
  std::vector<std::wstring> arguments;  // for the installer, after "/l=<window>"
};

Options parseOptions(int argc, wchar_t** argv);

// The text of --help.
const char* usageText();

}  // namespace saverlaunch
