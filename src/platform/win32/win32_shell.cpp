// The shell through Win32; see the header.
#include "platform/win32/win32_shell.h"

#include <exdisp.h>
#include <servprov.h>
#include <shldisp.h>
#include <shlguid.h>
#include <shlobj.h>

#include <cstring>
#include <string>

#include "platform/win32/unique_handle.h"

namespace saverkit::win32 {
namespace {

// One COM interface, released when it goes.
template <typename Interface>
class ComReference {
 public:
  ComReference() = default;
  ComReference(const ComReference&) = delete;
  ComReference& operator=(const ComReference&) = delete;
  ~ComReference() {
    if (pointer_) pointer_->Release();
  }
  Interface* get() const { return pointer_; }
  Interface* operator->() const { return pointer_; }
  explicit operator bool() const { return pointer_ != nullptr; }
  Interface** out() { return &pointer_; }
  void** outVoid() { return reinterpret_cast<void**>(&pointer_); }

 private:
  Interface* pointer_ = nullptr;
};

class ComString {
 public:
  explicit ComString(const std::string& text) {
    // Sized in place: a wide std::string would bring the whole wide-string library into the stub.
    const int length = ::MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    if (length <= 0) return;
    string_ = ::SysAllocStringLen(nullptr, static_cast<UINT>(length - 1));
    if (string_) ::MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, string_, length);
  }
  ComString(const ComString&) = delete;
  ComString& operator=(const ComString&) = delete;
  ~ComString() { ::SysFreeString(string_); }
  BSTR get() const { return string_; }

 private:
  BSTR string_ = nullptr;
};

// The desktop's folder view, from the shell's window list: the Explorer that draws the desktop,
// whose window comes back in `desktop`. Only the running shell's list will do: never a server
// started for us with our rights (a registration of the user's could name one).
bool desktopFolderView(ComReference<IShellFolderViewDual>& folderView, HWND& desktop) {
  ComReference<IShellWindows> windows;
  if (FAILED(::CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_LOCAL_SERVER | CLSCTX_DISABLE_AAA,
                                IID_IShellWindows, windows.outVoid()))) {
    return false;
  }
  VARIANT location;
  ::VariantInit(&location);
  location.vt = VT_I4;
  location.lVal = CSIDL_DESKTOP;
  VARIANT root;
  ::VariantInit(&root);
  long window = 0;
  ComReference<IDispatch> dispatch;
  if (windows->FindWindowSW(&location, &root, SWC_DESKTOP, &window, SWFO_NEEDDISPATCH, dispatch.out()) != S_OK ||
      !dispatch) {
    return false;
  }
  desktop = reinterpret_cast<HWND>(static_cast<LONG_PTR>(window));
  ComReference<IServiceProvider> services;
  ComReference<IShellBrowser> browser;
  ComReference<IShellView> view;
  ComReference<IDispatch> background;
  return SUCCEEDED(dispatch->QueryInterface(IID_IServiceProvider, services.outVoid())) &&
         SUCCEEDED(services->QueryService(SID_STopLevelBrowser, IID_IShellBrowser, browser.outVoid())) &&
         SUCCEEDED(browser->QueryActiveShellView(view.out())) && view &&
         SUCCEEDED(view->GetItemObject(SVGIO_BACKGROUND, IID_IDispatch, background.outVoid())) &&
         SUCCEEDED(background->QueryInterface(IID_IShellFolderViewDual, folderView.outVoid()));
}

// Grants the foreground to the process of the desktop shell's window alone: granting it to any
// process would let whichever of the user's programs asked first take the screen from ours.
void allowShellToTakeForeground(HWND desktop) {
  if (!desktop) desktop = ::GetShellWindow();
  DWORD process = 0;
  if (desktop) ::GetWindowThreadProcessId(desktop, &process);
  if (process != 0) ::AllowSetForegroundWindow(process);
}

}  // namespace

bool runningElevated() {
  HANDLE opened = nullptr;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &opened)) return false;
  UniqueNullHandle token(opened);
  TOKEN_ELEVATION elevation{};
  DWORD size = 0;
  // Systems without the split refuse the question: everything there runs with the user's token.
  if (!::GetTokenInformation(token.get(), TokenElevation, &elevation, sizeof elevation, &size)) return false;
  return elevation.TokenIsElevated != 0;
}

bool openThroughDesktopShell(const std::string& path, const std::string& parameters, bool shown) {
  const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  bool opened = false;
  {
    ComReference<IShellFolderViewDual> folderView;
    ComReference<IDispatch> application;
    ComReference<IShellDispatch2> shell;
    HWND desktop = nullptr;
    if (desktopFolderView(folderView, desktop) && SUCCEEDED(folderView->get_Application(application.out())) &&
        application && SUCCEEDED(application->QueryInterface(IID_IShellDispatch2, shell.outVoid()))) {
      const ComString file(path);
      const ComString givenParameters(parameters);
      VARIANT none;
      ::VariantInit(&none);
      VARIANT arguments;
      ::VariantInit(&arguments);
      if (!parameters.empty() && givenParameters.get()) {
        arguments.vt = VT_BSTR;
        arguments.bstrVal = givenParameters.get();
      }
      VARIANT show;
      ::VariantInit(&show);
      show.vt = VT_I4;
      show.lVal = shown ? SW_SHOWNORMAL : SW_HIDE;
      // The desktop shell, another process, may bring the document's window to the front; no
      // other program gets that from us.
      allowShellToTakeForeground(desktop);
      opened = SUCCEEDED(shell->ShellExecute(file.get(), arguments, none, none, show));
    }
  }
  if (SUCCEEDED(com)) ::CoUninitialize();
  return opened;
}

void Win32Shell::openDocument(WindowHandle owner, const std::string& path) {
  if (!runningElevated()) {
    // Our token is the user's own: the user's associations decide nothing the user could not.
    // The program starts no COM of its own at its start; a handler the shell picks may need it.
    const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    ::ShellExecuteA(reinterpret_cast<HWND>(static_cast<std::uintptr_t>(owner)), nullptr, path.c_str(),
                    nullptr, nullptr, SW_SHOWNORMAL);
    if (SUCCEEDED(com)) ::CoUninitialize();
    return;
  }
  // Elevated, the document is opened by the user's desktop shell or not at all: an association
  // read in this process would run with administrator rights.
  openThroughDesktopShell(path);
}

namespace {

// Our environment with TEMP and TMP naming `folder`. A program started with administrator
// rights would otherwise unpack into the user's own temporary folder, where the user's other
// programs can put a library beside what it unpacks and then loads.
std::string environmentWithTemporaryFolder(std::string folder) {
  while (folder.size() > 3 && folder.back() == '\\') folder.pop_back();
  const auto named = [](const char* entry, const char* name) {
    while (*name && (*entry | 0x20) == (*name | 0x20)) ++entry, ++name;
    return *name == '\0';
  };
  std::string block;
  LPCH strings = ::GetEnvironmentStringsA();
  for (const char* entry = strings; entry && *entry; entry += std::strlen(entry) + 1) {
    if (!named(entry, "temp=") && !named(entry, "tmp=")) block.append(entry).push_back('\0');
  }
  if (strings) ::FreeEnvironmentStringsA(strings);
  block.append("TEMP=").append(folder).push_back('\0');
  block.append("TMP=").append(folder).push_back('\0');
  block.push_back('\0');
  return block;
}

}  // namespace

int Win32Shell::startHidden(const std::string& path, const std::string& parameters, const std::string& folder) {
  std::string commandLine = "\"" + path + "\"";
  if (!parameters.empty()) commandLine += " " + parameters;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_HIDE;
  PROCESS_INFORMATION process{};
  // The program by its full path: no search, no association, no verb. Its current folder is one
  // we chose: ours is usually the user's download folder, where a program that loads or opens
  // anything by a bare name would find what the user's other programs put there. Its temporary
  // folder is that folder too.
  std::string environment = environmentWithTemporaryFolder(folder);
  if (!::CreateProcessA(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                        folder.empty() ? nullptr : environment.data(), folder.empty() ? nullptr : folder.c_str(),
                        &startup, &process)) {
    const DWORD error = ::GetLastError();
    // The shell reported failures as codes up to 32 and folded every larger code into "bad
    // format": the same statuses come out for the same failures.
    if (error == 0) return 0;
    return error < 32 ? static_cast<int>(error) : static_cast<int>(ERROR_BAD_FORMAT);
  }
  UniqueNullHandle processHandle(process.hProcess);
  UniqueNullHandle threadHandle(process.hThread);
  return 33;  // started; it is not waited for
}

bool Win32Shell::startAsSignedInUser(const std::string& path, const std::string& parameters, bool shown) {
  // Elevated, the program is the desktop shell's to start, with the user's own token.
  if (runningElevated()) return openThroughDesktopShell(path, parameters, shown);
  std::string commandLine = "\"" + path + "\"";
  if (!parameters.empty()) commandLine += " " + parameters;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = shown ? SW_SHOWNORMAL : SW_HIDE;
  PROCESS_INFORMATION process{};
  // Our token is the user's: the program by its full path, in the system folder as its current
  // folder (the user's download folder would offer it whatever was put there).
  char systemFolder[MAX_PATH] = {};
  const UINT length = ::GetSystemDirectoryA(systemFolder, MAX_PATH);
  if (!::CreateProcessA(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        length > 0 && length < MAX_PATH ? systemFolder : nullptr, &startup, &process)) {
    return false;
  }
  UniqueNullHandle processHandle(process.hProcess);
  UniqueNullHandle threadHandle(process.hThread);
  return true;
}

}  // namespace saverkit::win32
