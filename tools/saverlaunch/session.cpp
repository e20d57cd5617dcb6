// The launcher's side of the installer's channel.
#include "session.h"

#include <cstdint>
#include <deque>

#include "text.h"

namespace saverlaunch {

namespace {

const UINT kInstallerClosed = 0x0501;
const wchar_t kWindowClass[] = L"SaverlaunchWindow";

struct Event {
  SYSTEMTIME when;
  bool closed;          // the close notification, otherwise a command
  std::string bytes;    // a command's data, exactly cbData bytes
  ULONG_PTR tag;        // a command's dwData
  WPARAM wParam;
  LPARAM lParam;
};

// Messages are only queued here while they arrive: the installer waits inside SendMessage
// until the window procedure returns, and the work a command asks for (a broadcast to every
// window, starting the control panel) should not keep it waiting.
std::deque<Event>* pendingEvents = nullptr;

// Points the window procedure at a run's queue for exactly as long as the queue lives.
class QueueBinding {
 public:
  explicit QueueBinding(std::deque<Event>& events) { pendingEvents = &events; }
  ~QueueBinding() { pendingEvents = nullptr; }
  QueueBinding(const QueueBinding&) = delete;
  QueueBinding& operator=(const QueueBinding&) = delete;
};

LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COPYDATA && pendingEvents) {
    Event event{};
    GetLocalTime(&event.when);
    const auto* block = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    if (block) {
      event.tag = block->dwData;
      // Bounded by cbData: the sender's text need not end in a NUL.
      if (block->lpData && block->cbData > 0) {
        event.bytes.assign(static_cast<const char*>(block->lpData), block->cbData);
      }
    }
    pendingEvents->push_back(event);
    return TRUE;
  }
  if (message == kInstallerClosed && pendingEvents) {
    Event event{};
    GetLocalTime(&event.when);
    event.closed = true;
    event.wParam = wParam;
    event.lParam = lParam;
    pendingEvents->push_back(event);
    return 0;
  }
  // The installer holds this window's handle for as long as it runs.
  if (message == WM_CLOSE) return 0;
  return DefWindowProcW(window, message, wParam, lParam);
}

HWND createWindow() {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = windowProcedure;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = kWindowClass;
  if (!RegisterClassW(&windowClass)) return nullptr;
  // A top-level window, never shown: the installer may send to it from another process, and
  // broadcasts (the settings change it causes itself) reach it like any launcher's window.
  return CreateWindowExW(0, kWindowClass, L"saverlaunch", WS_OVERLAPPED, 0, 0, 0, 0, nullptr, nullptr,
                         windowClass.hInstance, nullptr);
}

// The installer as a full path: what was given, or it with ".exe" added as the shell would.
bool findInstaller(const std::wstring& given, std::wstring& path, std::string& problem) {
  wchar_t buffer[32768];
  const DWORD length = GetFullPathNameW(given.c_str(), 32768, buffer, nullptr);
  if (length == 0 || length >= 32768) {
    problem = "not a valid installer path: " + toUtf8(given);
    return false;
  }
  path.assign(buffer, length);
  DWORD attributes = GetFileAttributesW(path.c_str());
  const std::size_t separator = path.find_last_of(L"\\/");
  const std::size_t nameStart = separator == std::wstring::npos ? 0 : separator;
  const bool hasExtension = path.find(L'.', nameStart) != std::wstring::npos;
  if (attributes == INVALID_FILE_ATTRIBUTES && !hasExtension) {
    attributes = GetFileAttributesW((path + L".exe").c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) path += L".exe";
  }
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    problem = "installer not found: " + toUtf8(given) + " (" + systemMessage(GetLastError()) + ")";
    return false;
  }
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
    problem = "the installer is a folder: " + toUtf8(path);
    return false;
  }
  return true;
}

void handleEvents(std::deque<Event>& events, const Choices& choices, Journal& journal) {
  while (!events.empty()) {
    const Event event = events.front();
    events.pop_front();
    if (event.closed) {
      journal.closed(event.when, event.wParam, event.lParam);
      continue;
    }
    // A command ends at its first NUL; makeActiveSaver carries a second one of its own.
    const std::string text = event.bytes.substr(0, event.bytes.find('\0'));
    const Outcome outcome = carryOut(text, choices);
    std::string size = std::to_string(event.bytes.size()) + " bytes";
    if (event.tag != 0) size += ", dwData " + std::to_string(event.tag);
    journal.command(event.when, toUtf8(fromAnsi(text)), size, outcome);
  }
}

void pumpMessages(std::deque<Event>& events, const Choices& choices, Journal& journal) {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  handleEvents(events, choices, journal);
}

}  // namespace

int runInstaller(const Options& options, Journal& journal) {
  std::string problem;
  std::wstring installer;
  std::vector<std::wstring> arguments;
  if (!findInstaller(options.installer, installer, problem)) {
    journal.started(toUtf8(installer.empty() ? options.installer : installer), {});
    journal.error(problem);
    journal.finished(kInstallerNotStarted);
    return kInstallerNotStarted;
  }

  std::deque<Event> events;
  const QueueBinding binding(events);
  HWND window = createWindow();
  if (!window) {
    journal.started(toUtf8(installer), {});
    journal.error("cannot create the launcher window: " + systemMessage(GetLastError()));
    journal.finished(kLauncherFailure);
    return kLauncherFailure;
  }
  // The installer reads the handle as a signed 32-bit decimal number.
  const auto handle = static_cast<std::int32_t>(reinterpret_cast<std::uintptr_t>(window));
  arguments.push_back(L"/l=" + std::to_wstring(handle));
  arguments.insert(arguments.end(), options.arguments.begin(), options.arguments.end());

  std::wstring commandLine = quoteArgument(installer);
  std::vector<std::string> shown;
  for (const std::wstring& argument : arguments) {
    commandLine += L" " + quoteArgument(argument);
    shown.push_back(toUtf8(argument));
  }
  journal.started(toUtf8(installer), shown);

  PROCESS_INFORMATION process{};
  if (!startProgram(installer, commandLine, process)) {
    journal.error("cannot start " + toUtf8(installer) + ": " + systemMessage(GetLastError()));
    journal.finished(kInstallerNotStarted);
    DestroyWindow(window);
    return kInstallerNotStarted;
  }
  journal.line("started " + toUtf8(commandLine) + " (process " + std::to_string(process.dwProcessId) +
               "); waiting for it to end");

  const Choices choices{options.activate, options.openControlPanel};
  int result = 0;
  for (;;) {
    pumpMessages(events, choices, journal);
    const DWORD woke = MsgWaitForMultipleObjects(1, &process.hProcess, FALSE, INFINITE, QS_ALLINPUT);
    if (woke == WAIT_OBJECT_0) break;
    if (woke != WAIT_OBJECT_0 + 1) {
      journal.error("waiting for the installer failed: " + systemMessage(GetLastError()));
      result = kLauncherFailure;
      break;
    }
  }
  // The close notification is posted just before the installer ends: it is still queued.
  pumpMessages(events, choices, journal);

  DWORD exitCode = 0;
  if (result == 0 && !GetExitCodeProcess(process.hProcess, &exitCode)) {
    journal.error("no exit code from the installer: " + systemMessage(GetLastError()));
    result = kLauncherFailure;
  }
  CloseHandle(process.hProcess);
  DestroyWindow(window);
  if (result != 0) {
    journal.finished(result);
    return result;
  }
  journal.finished(static_cast<long>(static_cast<std::int32_t>(exitCode)));
  return static_cast<int>(exitCode);
}

}  // namespace saverlaunch
