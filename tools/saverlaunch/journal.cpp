// The run's record; see the header.
#include "journal.h"

#include "text.h"

namespace saverlaunch {

namespace {

std::string hex32(long value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(value));
  return text;
}

}  // namespace

Journal::Journal(bool json) : screen_(json ? stderr : stdout) {}

Journal::~Journal() {
  if (file_) std::fclose(file_);
}

bool Journal::openLogFile(const std::wstring& file, std::string& problem) {
  file_ = _wfopen(file.c_str(), L"ab");
  if (!file_) problem = "cannot open the log file " + toUtf8(file) + ": " + systemMessage(GetLastError());
  return file_ != nullptr;
}

void Journal::line(const SYSTEMTIME& when, const std::string& text) { write(screen_, when, text); }

void Journal::write(std::FILE* stream, const SYSTEMTIME& when, const std::string& text) {
  const std::string stamped = timestamp(when) + " " + text;
  std::fprintf(stream, "%s\n", stamped.c_str());
  std::fflush(stream);
  // Flushed line by line: a launcher killed halfway still leaves what it saw.
  if (file_) {
    std::fprintf(file_, "%s\r\n", stamped.c_str());
    std::fflush(file_);
  }
}

void Journal::line(const std::string& text) {
  SYSTEMTIME now;
  GetLocalTime(&now);
  line(now, text);
}

void Journal::started(const std::string& installer, const std::vector<std::string>& arguments) {
  installer_ = installer;
  arguments_ = arguments;
}

void Journal::command(const SYSTEMTIME& when, const std::string& text, const std::string& received,
                      const Outcome& outcome) {
  commands_.push_back({text, outcome});
  if (!outcome.activeSaver.empty()) activeSaver_ = outcome.activeSaver;
  line(when, "command " + jsonString(text) + " (" + received + "): " +
                 actionName(outcome.action) + (outcome.detail.empty() ? "" : " - " + outcome.detail));
}

void Journal::closed(const SYSTEMTIME& when, WPARAM wParam, LPARAM lParam) {
  closed_ = true;
  line(when, "closed: the installer window has closed (message 0x0501, wParam " + std::to_string(wParam) +
                 ", lParam " + std::to_string(lParam) + ")");
}

void Journal::finished(long exitCode) {
  exitCode_ = exitCode;
  line("exit code " + std::to_string(exitCode) + " (" + hex32(exitCode) + ")");
}

void Journal::error(const std::string& problem) {
  error_ = problem;
  SYSTEMTIME now;
  GetLocalTime(&now);
  write(stderr, now, "error: " + problem);
}

std::string Journal::json() const {
  std::string out = "{\"installer\": " + jsonString(installer_) + ", \"arguments\": [";
  for (std::size_t i = 0; i < arguments_.size(); ++i) out += (i ? ", " : "") + jsonString(arguments_[i]);
  out += "], \"exitCode\": " + std::to_string(exitCode_);
  if (!error_.empty()) out += ", \"error\": " + jsonString(error_);
  out += ", \"commands\": [";
  for (std::size_t i = 0; i < commands_.size(); ++i) {
    const Command& entry = commands_[i];
    out += std::string(i ? ", " : "") + "{\"text\": " + jsonString(entry.text) + ", \"action\": \"" +
           actionName(entry.outcome.action) + "\", \"detail\": " + jsonString(entry.outcome.detail) + "}";
  }
  out += std::string("], \"closed\": ") + (closed_ ? "true" : "false") +
         ", \"activeSaver\": " + jsonString(activeSaver_) + "}";
  return out;
}

}  // namespace saverlaunch
