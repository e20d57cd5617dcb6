// What the launcher does for each command an installer sends.
#pragma once

#include <string>

#include <windows.h>

namespace saverlaunch {

enum class Action { Noted, Activated, Skipped, Refused, Opened, Failed, Ignored };
const char* actionName(Action action);

struct Choices {
  bool activate = true;
  bool openControlPanel = true;
};

struct Outcome {
  Action action = Action::Ignored;
  std::string detail;       // UTF-8, for the log: a path, a command line or a reason
  std::string activeSaver;  // UTF-8: the saver made active, when one was
};

// `text` is the command up to its first NUL, in the ANSI code page as the installer sent it.
Outcome carryOut(const std::string& text, const Choices& choices);

// Starts `program` with the whole `commandLine` (its own name first), not waiting for it; the
// thread handle is closed, the process handle is the caller's. False with GetLastError set.
bool startProgram(const std::wstring& program, const std::wstring& commandLine, PROCESS_INFORMATION& process);

}  // namespace saverlaunch
