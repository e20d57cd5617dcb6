// The call log; see the header. Each line opens, appends and closes the file, so that the
// installer under test and any other process hosting the control can share one log.
#include "call_log.h"

#include <windows.h>

namespace standin {

std::string narrow(const std::wstring& text) {
  if (text.empty()) return {};
  const int length = static_cast<int>(text.size());
  const int needed = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), length, nullptr, 0, nullptr,
                                           nullptr);
  std::string result(static_cast<std::size_t>(needed > 0 ? needed : 0), '\0');
  if (needed > 0) {
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), length, result.data(), needed, nullptr,
                          nullptr);
  }
  return result;
}

void logLine(const std::string& line) {
  char path[MAX_PATH];
  const DWORD length = ::GetEnvironmentVariableA("SAVERKIT_STANDIN_LOG", path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return;
  // FILE_APPEND_DATA alone makes every write land at the current end, whoever else appends.
  HANDLE file = ::CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  const std::string text = line + "\n";
  DWORD written = 0;
  ::WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  ::CloseHandle(file);
}

}  // namespace standin
