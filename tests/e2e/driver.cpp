// The end-to-end driver: plays the launcher for a program under test. It opens a window of its
// own, starts the program (with "{launcher}" in its arguments replaced by "/l=<that window>"),
// runs a script of steps against the program's windows, and prints one report line per event:
//   copydata tag=<n> size=<n> text="<escaped bytes>"   a WM_COPYDATA the launcher received
//   notify 0x0501                                      the close notification
//   window class="<c>" title="<t>"                      a window found by wait-window
//   box title="<t>" text="<t>" buttons="<a>|<b>"        a message box found by box:
//   control id=<n> class="<c>" text="<t>" visible=<0|1> enabled=<0|1>
//   exit <full 32-bit code>
//   shot <file>                                        a screenshot request
//   fail <reason>                                      a step that could not be done
// Steps (arguments before "--"):
//   wait-window:CLASS      wait for a visible top-level window of the program with that class
//   wait-title:CLASS=TITLE wait until that window has that title
//   box:BUTTON             wait for a message box, report it, press the button with that caption
//   see-box                wait for a message box and report it, without pressing anything
//   click:CAPTION          press the button with that caption in the program's windows
//   close:CLASS            post WM_CLOSE to the program's window of that class
//   controls:CLASS         report the child controls of the program's window of that class
//   layout:CLASS           report the window's and client's size and every control's place:
//                          "size window=WxH client=WxH", "place id=N at=L,T size=WxH"
//   resize:CLASS=WxH       ask the window for that outer size (as dragging its frame would)
//   shot:FILE.png          have the test script take a screenshot into FILE (a Windows path)
//   sleep:MS               keep handling launcher messages for MS milliseconds
//   no-box:MS              fail when a message box appears within MS milliseconds
//   key:VK                 press and release that virtual key (decimal) as real input
//   mouse:DX,DY            move the mouse pointer by that many pixels as real input
//   set-text:ID=TEXT       set the text of control ID in the program's dialog (class #32770)
//   close-preview          destroy the preview window (see "{preview}")
//   preview-children       report the preview window's children: "preview-child class="<c>"
//                          size=WxH mine=<1 when the program's process owns it>"
//   text:ID                report control ID's text in the program's dialog, asked for with
//                          WM_GETTEXT (another process's edit text is not its window caption):
//                          "text id=<n> text="<t>""
//   owner:CLASS            report the owner of the program's window of that class, and whether
//                          it is enabled: "owner title="<t>" enabled=<0|1>", or "owner none"
//   checked:ID             report whether button ID in the program's dialog is checked, asked
//                          with BM_GETCHECK: "checked id=<n> state=<0|1|2>"
//   ends-within:MS         fail unless the program ends within MS milliseconds
//   message-box:BUTTON     as box:, but only a message box (one with a text control 0xFFFF), never
//                          another dialog of class #32770 that is open at the same time
// Options: --timeout=MS for each wait (default 15000); --dialog=TITLE opens, before the program
// starts, a top-level window with that title and a Cancel button (id 2), whose click is reported
// as "dialog-cancel title=\"<t>\"". "{preview}" in the program's arguments opens a borderless
// window of the driver's with a 320 x 240 client area at (100, 100), for a screen saver's preview,
// and stands for its handle in decimal. After the steps the driver waits for
// the program to end and prints its exit code; on a timeout it kills the program.
#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <vector>

#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <tlhelp32.h>

namespace {

DWORD childProcessId = 0;
HWND previewWindow = nullptr;
DWORD stepTimeout = 15000;
HANDLE childProcess = nullptr;
const UINT kLauncherClosed = 0x0501;

std::string escape(const char* data, std::size_t size) {
  std::string out;
  for (std::size_t i = 0; i < size; ++i) {
    const unsigned char c = static_cast<unsigned char>(data[i]);
    char buffer[8];
    if (c == '\r') out += "\\r";
    else if (c == '\n') out += "\\n";
    else if (c == '"') out += "\\\"";
    else if (c == '\\') out += "\\\\";
    else if (c < 32 || c >= 127) { std::snprintf(buffer, sizeof buffer, "\\x%02X", c); out += buffer; }
    else out += static_cast<char>(c);
  }
  return out;
}

std::string escape(const std::string& text) { return escape(text.data(), text.size()); }

void report(const std::string& line) {
  std::fputs((line + "\n").c_str(), stdout);
  std::fflush(stdout);
}

std::string windowText(HWND window) {
  char buffer[4096];
  const int length = GetWindowTextA(window, buffer, sizeof buffer);
  return std::string(buffer, length > 0 ? static_cast<std::size_t>(length) : 0);
}

std::string className(HWND window) {
  char buffer[256];
  const int length = GetClassNameA(window, buffer, sizeof buffer);
  return std::string(buffer, length > 0 ? static_cast<std::size_t>(length) : 0);
}

LRESULT CALLBACK launcherProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COPYDATA) {
    const auto* block = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    report("copydata tag=" + std::to_string(block->dwData) + " size=" +
           std::to_string(block->cbData) + " text=\"" +
           escape(static_cast<const char*>(block->lpData), block->cbData) + "\"");
    return TRUE;
  }
  if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL && HIWORD(wParam) == BN_CLICKED) {
    report("dialog-cancel title=\"" + escape(windowText(window)) + "\"");
    return 0;
  }
  if (message == kLauncherClosed) {
    report("notify 0x0501 wparam=" + std::to_string(wParam) + " lparam=" + std::to_string(lParam));
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

void pumpFor(DWORD milliseconds) {
  const DWORD start = GetTickCount();
  do {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  } while (GetTickCount() - start < milliseconds);
}

struct Search {
  std::string windowClass;
  bool visibleOnly;
  HWND found;
  std::set<DWORD> processes;
  bool messageBoxOnly = false;
};

// The program's windows include those of the processes it started (a launcher's installer):
// one look at the process table per search gives the program and all its descendants.
std::set<DWORD> programProcesses() {
  std::set<DWORD> found{childProcessId};
  std::map<DWORD, DWORD> parents;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot != INVALID_HANDLE_VALUE) {
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
      parents[entry.th32ProcessID] = entry.th32ParentProcessID;
    }
    CloseHandle(snapshot);
  }
  for (bool grew = true; grew;) {
    grew = false;
    for (const auto& [process, parent] : parents) {
      if (found.count(parent) && found.insert(process).second) grew = true;
    }
  }
  return found;
}

BOOL CALLBACK findProgramWindow(HWND window, LPARAM parameter) {
  auto* search = reinterpret_cast<Search*>(parameter);
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  if (!search->processes.count(processId)) return TRUE;
  if (search->visibleOnly && !IsWindowVisible(window)) return TRUE;
  if (className(window) != search->windowClass) return TRUE;
  if (search->messageBoxOnly && !GetDlgItem(window, 0xFFFF)) return TRUE;
  search->found = window;
  return FALSE;
}

HWND findWindowOfClass(const std::string& windowClass, bool visibleOnly) {
  Search search{windowClass, visibleOnly, nullptr, programProcesses()};
  EnumWindows(findProgramWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND waitForWindow(const std::string& windowClass, DWORD timeout, bool messageBoxOnly = false) {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < timeout) {
    Search search{windowClass, true, nullptr, programProcesses(), messageBoxOnly};
    EnumWindows(findProgramWindow, reinterpret_cast<LPARAM>(&search));
    if (search.found) return search.found;
    pumpFor(25);
  }
  return nullptr;
}

struct ChildSearch {
  std::string caption;
  HWND found;
  std::vector<HWND> all;
};

BOOL CALLBACK collectChild(HWND window, LPARAM parameter) {
  auto* search = reinterpret_cast<ChildSearch*>(parameter);
  search->all.push_back(window);
  if (!search->found && windowText(window) == search->caption && className(window) == "Button") {
    search->found = window;
  }
  return TRUE;
}

ChildSearch children(HWND parent, const std::string& caption) {
  ChildSearch search{caption, nullptr, {}};
  EnumChildWindows(parent, collectChild, reinterpret_cast<LPARAM>(&search));
  return search;
}

bool doBox(const std::string& button, bool messageBoxOnly = false) {
  HWND box = waitForWindow("#32770", stepTimeout, messageBoxOnly);
  if (!box) return false;
  pumpFor(100);
  const ChildSearch found = children(box, button);
  std::string buttons;
  for (HWND child : found.all) {
    if (className(child) != "Button") continue;
    buttons += (buttons.empty() ? "" : "|") + escape(windowText(child));
  }
  report("box title=\"" + escape(windowText(box)) + "\" text=\"" +
         escape(windowText(GetDlgItem(box, 0xFFFF))) + "\" buttons=\"" + buttons + "\"");
  if (!found.found) return false;
  PostMessageA(found.found, BM_CLICK, 0, 0);
  // Wait until this box is gone, so that a following step sees the next one.
  const DWORD start = GetTickCount();
  while (IsWindow(box) && GetTickCount() - start < stepTimeout) pumpFor(25);
  return !IsWindow(box);
}

bool doClick(const std::string& caption) {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < stepTimeout) {
    for (const char* windowClass : {"TInstallerForm", "TpreparingInstallWnd", "#32770"}) {
      HWND window = findWindowOfClass(windowClass, true);
      if (!window) continue;
      const ChildSearch found = children(window, caption);
      if (found.found && IsWindowVisible(found.found) && IsWindowEnabled(found.found)) {
        PostMessageA(found.found, BM_CLICK, 0, 0);
        return true;
      }
    }
    pumpFor(25);
  }
  return false;
}

void doControls(HWND window) {
  for (HWND child : children(window, "").all) {
    report("control id=" + std::to_string(GetDlgCtrlID(child)) + " class=\"" + className(child) +
           "\" text=\"" + escape(windowText(child)) + "\" visible=" +
           (IsWindowVisible(child) ? "1" : "0") + " enabled=" + (IsWindowEnabled(child) ? "1" : "0"));
  }
}

// The screenshot itself is taken on the Linux side (the test script watches the report for
// this line); the driver waits until the picture exists, so the screen does not change meanwhile.
BOOL CALLBACK settleWindow(HWND window, LPARAM parameter) {
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  if (!reinterpret_cast<const std::set<DWORD>*>(parameter)->count(processId) || !IsWindowVisible(window)) return TRUE;
  // A window that has just appeared may not have painted yet on a busy machine: a message
  // round trip lets the program take what is queued, and an update paints what is still due.
  SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 3000, nullptr);
  RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  return TRUE;
}

bool requestScreenshot(const std::string& path) {
  const std::set<DWORD> processes = programProcesses();
  EnumWindows(settleWindow, reinterpret_cast<LPARAM>(&processes));
  pumpFor(150);
  report("shot " + path);
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < stepTimeout) {
    if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
    pumpFor(50);
  }
  return false;
}

bool runStep(const std::string& step) {
  const std::size_t colon = step.find(':');
  const std::string verb = step.substr(0, colon);
  const std::string value = colon == std::string::npos ? "" : step.substr(colon + 1);
  if (verb == "wait-window") {
    HWND window = waitForWindow(value, stepTimeout);
    if (window) report("window class=\"" + escape(value) + "\" title=\"" + escape(windowText(window)) + "\"");
    return window != nullptr;
  }
  if (verb == "wait-title") {
    const std::size_t equals = value.find('=');
    const std::string windowClass = value.substr(0, equals), title = value.substr(equals + 1);
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < stepTimeout) {
      HWND window = findWindowOfClass(windowClass, true);
      if (window && windowText(window) == title) {
        report("window class=\"" + escape(windowClass) + "\" title=\"" + escape(title) + "\"");
        return true;
      }
      pumpFor(25);
    }
    return false;
  }
  if (verb == "box") return doBox(value);
  if (verb == "message-box") return doBox(value, true);
  if (verb == "see-box") {
    HWND box = waitForWindow("#32770", stepTimeout);
    if (box) pumpFor(200);
    return box != nullptr;
  }
  if (verb == "click") return doClick(value);
  if (verb == "close") {
    HWND window = waitForWindow(value, stepTimeout);
    return window && PostMessageA(window, WM_CLOSE, 0, 0);
  }
  if (verb == "controls") {
    HWND window = waitForWindow(value, stepTimeout);
    if (window) doControls(window);
    return window != nullptr;
  }
  if (verb == "shot") return requestScreenshot(value);
  if (verb == "owner") {
    HWND window = waitForWindow(value, stepTimeout);
    if (!window) return false;
    HWND owner = GetWindow(window, GW_OWNER);
    report(owner ? "owner title=\"" + escape(windowText(owner)) + "\" enabled=" + (IsWindowEnabled(owner) ? "1" : "0")
                 : std::string("owner none"));
    return true;
  }
  if (verb == "layout") {
    HWND window = waitForWindow(value, stepTimeout);
    if (!window) return false;
    RECT outer, client;
    GetWindowRect(window, &outer);
    GetClientRect(window, &client);
    report("size window=" + std::to_string(outer.right - outer.left) + "x" + std::to_string(outer.bottom - outer.top) +
           " client=" + std::to_string(client.right) + "x" + std::to_string(client.bottom));
    for (HWND child : children(window, "").all) {
      RECT bounds;
      GetWindowRect(child, &bounds);
      MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&bounds), 2);
      report("place id=" + std::to_string(GetDlgCtrlID(child)) + " at=" + std::to_string(bounds.left) + "," +
             std::to_string(bounds.top) + " size=" + std::to_string(bounds.right - bounds.left) + "x" +
             std::to_string(bounds.bottom - bounds.top));
    }
    return true;
  }
  if (verb == "resize") {
    const std::size_t equals = value.find('='), times = value.find('x', equals);
    HWND window = waitForWindow(value.substr(0, equals), stepTimeout);
    if (!window || equals == std::string::npos || times == std::string::npos) return false;
    const int width = std::stoi(value.substr(equals + 1, times - equals - 1));
    const int height = std::stoi(value.substr(times + 1));
    SetWindowPos(window, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    pumpFor(200);
    return true;
  }
  if (verb == "ends-within") {
    const DWORD start = GetTickCount(), limit = static_cast<DWORD>(std::stoul(value));
    while (WaitForSingleObject(childProcess, 0) == WAIT_TIMEOUT) {
      if (GetTickCount() - start > limit) return false;
      pumpFor(5);
    }
    return true;
  }
  if (verb == "sleep") { pumpFor(static_cast<DWORD>(std::stoul(value))); return true; }
  if (verb == "no-box") {
    HWND box = waitForWindow("#32770", static_cast<DWORD>(std::stoul(value)));
    if (box) report("box title=\"" + escape(windowText(box)) + "\" text=\"" + escape(windowText(GetDlgItem(box, 0xFFFF))) + "\" unexpected");
    return box == nullptr;
  }
  if (verb == "key") {
    INPUT inputs[2] = {};
    inputs[0].type = INPUT_KEYBOARD;
    inputs[0].ki.wVk = static_cast<WORD>(std::stoul(value));
    inputs[1] = inputs[0];
    inputs[1].ki.dwFlags = KEYEVENTF_KEYUP;
    const bool sent = SendInput(2, inputs, sizeof(INPUT)) == 2;
    pumpFor(100);
    return sent;
  }
  if (verb == "mouse") {
    const std::size_t comma = value.find(',');
    if (comma == std::string::npos) return false;
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = std::stol(value.substr(0, comma));
    input.mi.dy = std::stol(value.substr(comma + 1));
    input.mi.dwFlags = MOUSEEVENTF_MOVE;
    const bool sent = SendInput(1, &input, sizeof(INPUT)) == 1;
    pumpFor(100);
    return sent;
  }
  if (verb == "set-text") {
    const std::size_t equals = value.find('=');
    HWND dialog = waitForWindow("#32770", stepTimeout);
    if (!dialog || equals == std::string::npos) return false;
    HWND control = GetDlgItem(dialog, std::stoi(value.substr(0, equals)));
    const std::string text = value.substr(equals + 1);
    return control && SendMessageA(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
  }
  if (verb == "preview-children") {
    if (!previewWindow) return false;
    const std::set<DWORD> processes = programProcesses();
    for (HWND child : children(previewWindow, "").all) {
      RECT bounds;
      GetClientRect(child, &bounds);
      DWORD owner = 0;
      GetWindowThreadProcessId(child, &owner);
      report("preview-child class=\"" + escape(className(child)) + "\" size=" + std::to_string(bounds.right) + "x" +
             std::to_string(bounds.bottom) + " mine=" + (processes.count(owner) ? "1" : "0"));
    }
    return true;
  }
  if (verb == "checked") {
    HWND dialog = waitForWindow("#32770", stepTimeout);
    HWND control = dialog ? GetDlgItem(dialog, std::stoi(value)) : nullptr;
    if (!control) return false;
    report("checked id=" + value + " state=" + std::to_string(SendMessageA(control, BM_GETCHECK, 0, 0)));
    return true;
  }
  if (verb == "text") {
    HWND dialog = waitForWindow("#32770", stepTimeout);
    HWND control = dialog ? GetDlgItem(dialog, std::stoi(value)) : nullptr;
    if (!control) return false;
    char buffer[4096] = {};
    const LRESULT length = SendMessageA(control, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer));
    report("text id=" + value + " text=\"" + escape(buffer, static_cast<std::size_t>(length > 0 ? length : 0)) + "\"");
    return true;
  }
  if (verb == "close-preview") {
    if (!previewWindow) return false;
    DestroyWindow(previewWindow);
    previewWindow = nullptr;
    pumpFor(100);
    return true;
  }
  report("fail unknown step " + step);
  return false;
}

std::string quoteArgument(const std::string& argument) {
  if (!argument.empty() && argument.find_first_of(" \t\"") == std::string::npos) return argument;
  return "\"" + argument + "\"";
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> steps, program, dialogs;
  bool inProgram = false;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if (!inProgram && argument == "--") { inProgram = true; continue; }
    if (!inProgram && argument.rfind("--timeout=", 0) == 0) { stepTimeout = std::stoul(argument.substr(10)); continue; }
    if (!inProgram && argument.rfind("--dialog=", 0) == 0) { dialogs.push_back(argument.substr(9)); continue; }
    (inProgram ? program : steps).push_back(argument);
  }
  if (program.empty()) {
    std::fputs("usage: driver [--timeout=MS] [STEP...] -- PROGRAM [ARG...]\n", stderr);
    return 2;
  }

  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = launcherProcedure;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = "SaverkitTestLauncher";
  RegisterClassA(&windowClass);
  HWND launcher = CreateWindowExA(0, windowClass.lpszClassName, "Saverkit test launcher", WS_OVERLAPPED,
                                  0, 0, 10, 10, nullptr, nullptr, windowClass.hInstance, nullptr);

  for (const std::string& title : dialogs) {
    HWND dialog = CreateWindowExA(0, windowClass.lpszClassName, title.c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                  600, 400, 300, 120, nullptr, nullptr, windowClass.hInstance, nullptr);
    CreateWindowExA(0, "BUTTON", "Cancel", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 180, 40, 80, 25, dialog,
                    reinterpret_cast<HMENU>(IDCANCEL), windowClass.hInstance, nullptr);
  }
  std::string commandLine;
  for (std::string argument : program) {
    const std::size_t placeholder = argument.find("{launcher}");
    if (placeholder != std::string::npos) {
      argument.replace(placeholder, 10, "/l=" + std::to_string(reinterpret_cast<std::uintptr_t>(launcher)));
    }
    const std::size_t preview = argument.find("{preview}");
    if (preview != std::string::npos) {
      if (!previewWindow) {
        // Mid grey of its own, so a screenshot tells the host from what the saver draws.
        WNDCLASSA previewClass = windowClass;
        previewClass.lpszClassName = "SaverkitTestPreview";
        previewClass.hbrBackground = CreateSolidBrush(RGB(128, 128, 128));
        RegisterClassA(&previewClass);
        previewWindow = CreateWindowExA(0, previewClass.lpszClassName, "Saverkit test preview",
                                        WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 100, 100, 320, 240, nullptr, nullptr,
                                        windowClass.hInstance, nullptr);
      }
      argument.replace(preview, 9, std::to_string(reinterpret_cast<std::uintptr_t>(previewWindow)));
    }
    commandLine += (commandLine.empty() ? "" : " ") + quoteArgument(argument);
  }
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  std::vector<char> mutableLine(commandLine.begin(), commandLine.end());
  mutableLine.push_back('\0');
  if (!CreateProcessA(nullptr, mutableLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    report("fail cannot start " + commandLine + " error=" + std::to_string(GetLastError()));
    return 2;
  }
  childProcessId = process.dwProcessId;
  childProcess = process.hProcess;

  int result = 0;
  for (const std::string& step : steps) {
    if (!runStep(step)) {
      report("fail step " + step);
      result = 1;
      break;
    }
  }
  const DWORD start = GetTickCount();
  while (result == 0 && WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT) {
    if (GetTickCount() - start > stepTimeout) {
      report("fail program did not end");
      result = 1;
      break;
    }
    pumpFor(25);
  }
  if (result != 0) {
    TerminateProcess(process.hProcess, 0xDEAD);
    WaitForSingleObject(process.hProcess, 5000);
  }
  pumpFor(150);  // posted notifications still in the queue
  DWORD exitCode = 0;
  GetExitCodeProcess(process.hProcess, &exitCode);
  report("exit " + std::to_string(static_cast<long>(static_cast<LONG>(exitCode))));
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  if (previewWindow) DestroyWindow(previewWindow);
  DestroyWindow(launcher);
  return result;
}
