// Running the helper programs of a preview (Wine, Xvfb, xwininfo, import, cp) on Linux: found
// on PATH, started with a chosen environment and nothing on their input, waited for with a
// time limit, and ended for good. Ctrl-C while they run is noted, not obeyed at once, so the
// caller can clean up before it stops. Linux only; nothing here is built for Windows.
#pragma once

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace saverpack {

struct ProgramResult {
  int exitCode = -1;  // -1 when the program was ended by a signal or ran out of time
  bool timedOut = false;
  std::string output;  // standard output and error, when captured
};

// The program's full path in the first absolute PATH folder that has it; empty when none has.
// A relative entry (or an empty one) means the current folder, where a downloaded file of the
// same name may wait; through a shell, or cmd.exe, the current folder would even come first.
std::filesystem::path findOnPath(const std::filesystem::path& name);

#ifndef _WIN32

// Of our environment only the search path, the user's name and the language settings, then
// `settings` ("NAME=value").
std::vector<std::string> childEnvironment(const std::vector<std::string>& settings);

// Starts a program, in `workingFolder` when one is given. Its output goes to `outputFd` (or
// nowhere when -1), and `passFd`, when given, becomes its descriptor 3. Returns the process
// id; throws ToolError(kIo).
int spawnProgram(const std::filesystem::path& program, std::vector<std::string> args,
                 std::vector<std::string> environment, int outputFd, int passFd = -1,
                 const std::filesystem::path& workingFolder = {});

// Runs a program to its end or the timeout (then it is killed). Output is read until the
// program itself has ended: Wine's background programs inherit the pipe and keep it open.
// Throws ToolError when the user interrupts.
ProgramResult runProgram(const std::filesystem::path& program, const std::vector<std::string>& args,
                         const std::vector<std::string>& environment, std::chrono::milliseconds timeout,
                         bool capture, const std::filesystem::path& workingFolder = {});

// Asks a child to end, kills it when it has not within `patience`, and collects it.
void stopChild(int pid, std::chrono::milliseconds patience);

// The exit code (-1 for a signal) once a started child has ended and been collected.
std::optional<int> exitIfEnded(int pid);

// Ctrl-C, SIGTERM and SIGHUP are only noted between these two calls.
void catchInterrupts();
void restoreInterrupts();
// Throws ToolError(kIo) once an interrupt was noted.
void throwIfInterrupted();

#endif

}  // namespace saverpack
