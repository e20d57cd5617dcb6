// The installer's commands carried out on this machine, as the Display control panel would.
#include "commands.h"

#include <vector>

#include "text.h"

namespace saverlaunch {

namespace {

const char kMakeActivePrefix[] = "makeActiveSaver-";

Outcome outcome(Action action, const std::string& detail) { return Outcome{action, detail, {}}; }
Outcome failed(const std::string& what, DWORD error) {
  return outcome(Action::Failed, what + ": " + systemMessage(error));
}

bool systemFolder(std::wstring& folder) {
  wchar_t buffer[MAX_PATH];
  const UINT length = GetSystemDirectoryW(buffer, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return false;
  folder.assign(buffer, length);
  return true;
}

LSTATUS setString(HKEY key, const wchar_t* name, const std::wstring& value) {
  const auto bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
  return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()), bytes);
}

bool endsWithScr(const std::wstring& name) {
  if (name.size() <= 4) return false;  // ".scr" alone names nothing
  const std::wstring tail = name.substr(name.size() - 4);
  return CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, tail.c_str(), 4, L".scr", 4) == CSTR_EQUAL;
}

bool isBareSaverName(const std::wstring& name) {
  // The name is joined to the system folder: anything that could lead elsewhere is out, and so
  // are the characters no file name can hold.
  if (name.find(L"..") != std::wstring::npos) return false;
  for (const wchar_t c : name) {
    if (c < 32 || std::wstring(L"\\/:*?\"<>|").find(c) != std::wstring::npos) return false;
  }
  return endsWithScr(name);
}

Outcome makeActiveSaver(const std::wstring& name, bool allowed) {
  if (!isBareSaverName(name)) return outcome(Action::Refused, "not a bare file name ending in .scr");
  std::wstring folder;
  if (!systemFolder(folder)) return failed("no system folder", GetLastError());
  const std::wstring path = folder + L"\\" + name;
  if (!allowed) return outcome(Action::Skipped, toUtf8(path) + " (--no-activate)");
  // A saver that is not there would leave the user with no screen saver at all, as after an
  // install that failed and rolled back: keep the current one.
  if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
    return failed(toUtf8(path), GetLastError());
  }
  HKEY key = nullptr;
  LSTATUS result = RegCreateKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, nullptr, 0,
                                   KEY_SET_VALUE, nullptr, &key, nullptr);
  if (result != ERROR_SUCCESS) {
    return failed("HKCU\\Control Panel\\Desktop", static_cast<DWORD>(result));
  }
  result = setString(key, L"SCRNSAVE.EXE", path);
  if (result == ERROR_SUCCESS) result = setString(key, L"ScreenSaveActive", L"1");
  RegCloseKey(key);
  if (result != ERROR_SUCCESS) {
    return failed("writing the active saver", static_cast<DWORD>(result));
  }
  // The running system (and every open Display control panel) learns of it only by this.
  const UINT flags = SPIF_UPDATEINIFILE | SPIF_SENDCHANGE;
  if (!SystemParametersInfoA(SPI_SETSCREENSAVEACTIVE, TRUE, nullptr, flags)) {
    Outcome stored = failed(toUtf8(path) + " stored, but the change was not broadcast", GetLastError());
    stored.activeSaver = toUtf8(path);
    return stored;
  }
  Outcome done = outcome(Action::Activated, toUtf8(path));
  done.activeSaver = done.detail;
  return done;
}

Outcome openScreenSaverControlPanel(bool allowed) {
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof version;
  // Vista renamed the Display panel's pages; the older systems only know them by number.
  const bool named = GetVersionExA(&version) && version.dwMajorVersion >= 6;
  const std::wstring page = named ? L"desk.cpl,,@screensaver" : L"desk.cpl,,1";
  std::wstring folder;
  if (!systemFolder(folder)) return failed("no system folder", GetLastError());
  const std::wstring program = folder + L"\\control.exe";
  const std::wstring line = quoteArgument(program) + L" " + page;
  if (!allowed) return outcome(Action::Skipped, toUtf8(line) + " (--no-control-panel)");

  PROCESS_INFORMATION process{};
  // Not waited for: the panel stays open as long as the user likes, after the launcher is gone.
  if (!startProgram(program, line, process)) return failed(toUtf8(line), GetLastError());
  CloseHandle(process.hProcess);
  return outcome(Action::Opened, toUtf8(line) + " (process " + std::to_string(process.dwProcessId) + ")");
}

}  // namespace

bool startProgram(const std::wstring& program, const std::wstring& commandLine, PROCESS_INFORMATION& process) {
  // CreateProcess may write into the command line, so it gets a copy of its own.
  std::vector<wchar_t> mutableLine(commandLine.begin(), commandLine.end());
  mutableLine.push_back(L'\0');
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  if (!CreateProcessW(program.c_str(), mutableLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process)) {
    return false;
  }
  CloseHandle(process.hThread);
  return true;
}

Outcome carryOut(const std::string& text, const Choices& choices) {
  if (text == "read installer heard file") {
    return outcome(Action::Noted, "the installer has read its package");
  }
  if (text == "quiet installer") return outcome(Action::Noted, "the installer runs quietly");
  if (text.rfind(kMakeActivePrefix, 0) == 0) {
    return makeActiveSaver(fromAnsi(text.substr(sizeof kMakeActivePrefix - 1)), choices.activate);
  }
  if (text == "openScreenSaverControlPanel") return openScreenSaverControlPanel(choices.openControlPanel);
  return outcome(Action::Ignored, "unknown command");
}

const char* actionName(Action action) {
  switch (action) {
    case Action::Noted: return "noted";
    case Action::Activated: return "activated";
    case Action::Skipped: return "skipped";
    case Action::Refused: return "refused";
    case Action::Opened: return "opened";
    case Action::Failed: return "failed";
    case Action::Ignored: return "ignored";
  }
  return "ignored";
}

}  // namespace saverlaunch
