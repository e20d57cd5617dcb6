// The call log; see the header. Each line opens, appends and closes the file, so that the
// installer under test and any other process hosting the control can share one log.
#include "call_log.h"

#include <windows.h>

#include <cwchar>
#include <string>

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

namespace {

// The log is written from inside whatever process hosts the control, an installer with
// administrator rights among them, to a path from the environment: a link at the name or on
// the way must not turn that into a write elsewhere. The folder and then the file are opened
// as themselves and used only when the system's own name for what was opened is the name asked
// for (a link on the way or at the name makes the two differ; Wine shows a link to a file only
// that way). The folder is held without delete sharing meanwhile, so it cannot be swapped.
bool openedAsNamed(HANDLE handle, const std::wstring& full) {
  BY_HANDLE_FILE_INFORMATION information;
  if (!::GetFileInformationByHandle(handle, &information) ||
      (information.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
    return false;
  }
  wchar_t opened[MAX_PATH + 8];
  DWORD length = ::GetFinalPathNameByHandleW(handle, opened, MAX_PATH + 8, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
  if (length == 0 || length >= MAX_PATH + 8) return false;
  const wchar_t* shown = opened;
  if (std::wcsncmp(shown, L"\\\\?\\", 4) == 0) shown += 4, length -= 4;
  return length == full.size() &&
         ::CompareStringOrdinal(shown, int(length), full.c_str(), int(full.size()), TRUE) == CSTR_EQUAL;
}

// A plain file with no second name, opened as the file asked for.
bool isTheFileAskedFor(HANDLE file, const std::wstring& full) {
  BY_HANDLE_FILE_INFORMATION information;
  return ::GetFileInformationByHandle(file, &information) && information.nNumberOfLinks == 1 &&
         (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 && openedAsNamed(file, full);
}

}  // namespace

void logLine(const std::string& line) {
  wchar_t asked[MAX_PATH];
  const DWORD length = ::GetEnvironmentVariableW(L"SAVERKIT_STANDIN_LOG", asked, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return;
  wchar_t fullPath[MAX_PATH];
  wchar_t* name = nullptr;
  const DWORD fullLength = ::GetFullPathNameW(asked, MAX_PATH, fullPath, &name);
  if (fullLength == 0 || fullLength >= MAX_PATH || name == nullptr || name - fullPath < 3) return;
  const std::wstring full(fullPath, fullLength);
  // The folder without its separator, unless it is a drive's root ("C:\").
  const std::size_t folderLength = std::size_t(name - fullPath) - (name - fullPath > 3 ? 1 : 0);
  HANDLE folder = ::CreateFileW(full.substr(0, folderLength).c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (folder == INVALID_HANDLE_VALUE) return;
  if (openedAsNamed(folder, full.substr(0, folderLength))) {
    // FILE_APPEND_DATA alone makes every write land at the current end, whoever else appends.
    HANDLE file = ::CreateFileW(full.c_str(), FILE_APPEND_DATA | FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      if (isTheFileAskedFor(file, full)) {
        const std::string text = line + "\n";
        DWORD written = 0;
        ::WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
      }
      ::CloseHandle(file);
    }
  }
  ::CloseHandle(folder);
}

}  // namespace standin
