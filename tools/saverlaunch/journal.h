// The launcher's record of a run: timestamped lines as things happen (on standard output, or
// standard error when the JSON object owns standard output, and in the log file), and the JSON
// summary at the end.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include <windows.h>

#include "commands.h"

namespace saverlaunch {

class Journal {
 public:
  explicit Journal(bool json);
  ~Journal();
  Journal(const Journal&) = delete;
  Journal& operator=(const Journal&) = delete;

  // Opens FILE for appending; false (with the reason) when it cannot be.
  bool openLogFile(const std::wstring& file, std::string& problem);

  void line(const SYSTEMTIME& when, const std::string& text);
  void line(const std::string& text);
  // An error line goes to standard error, whichever stream has the other lines.
  void error(const std::string& problem);

  void started(const std::string& installer, const std::vector<std::string>& arguments);
  // `text` in UTF-8; `received` says what arrived ("26 bytes").
  void command(const SYSTEMTIME& when, const std::string& text, const std::string& received,
               const Outcome& outcome);
  void closed(const SYSTEMTIME& when, WPARAM wParam, LPARAM lParam);
  void finished(long exitCode);

  // The JSON object, on one line.
  std::string json() const;

 private:
  void write(std::FILE* stream, const SYSTEMTIME& when, const std::string& text);

  struct Command {
    std::string text;
    Outcome outcome;
  };
  std::FILE* screen_;
  std::FILE* file_ = nullptr;
  std::string installer_;
  std::vector<std::string> arguments_;
  std::vector<Command> commands_;
  bool closed_ = false;
  long exitCode_ = 0;
  std::string error_;
  std::string activeSaver_;
};

}  // namespace saverlaunch
