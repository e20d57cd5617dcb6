// Installs the stand-in player the way a real player installer would: the control file into
// the system folder's Macromed\Flash, then its own registration. "/s" or "/q" runs it silently;
// otherwise it reports the outcome in a message box. The exit code is 0 on success.
#include <windows.h>

#include <cstdlib>
#include <string>

namespace {

constexpr char kTitle[] = "Stand-in player";
constexpr int kPayloadId = 1;
constexpr int kNumberedNames = 100;

enum ExitCode : int {
  kInstalled = 0,
  kNoPayload = 2,
  kNoFolder = 3,
  kCannotWrite = 4,
  kCannotLoad = 5,
  kRegistrationFailed = 6,
};

std::string withError(const std::string& text, unsigned long error) {
  return text + " (error " + std::to_string(error) + ")";
}

// Lets a test hold the installer back, to see whether its caller waits for it.
void delayIfAsked() {
  char text[16];
  const DWORD length = ::GetEnvironmentVariableA("SAVERKIT_STANDIN_INSTALL_DELAY_MS", text,
                                                 sizeof text);
  if (length > 0 && length < sizeof text) ::Sleep(std::strtoul(text, nullptr, 10));
}

bool createFolder(const std::string& path) {
  return ::CreateDirectoryA(path.c_str(), nullptr) || ::GetLastError() == ERROR_ALREADY_EXISTS;
}

// A control some process has loaded cannot be overwritten; a fresh name sidesteps it, and the
// registration then points at the new file.
bool isInUse(DWORD error) {
  return error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED ||
         error == ERROR_USER_MAPPED_FILE;
}

bool writeFile(const std::string& path, const void* data, DWORD size, DWORD& error) {
  HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    error = ::GetLastError();
    return false;
  }
  DWORD written = 0;
  const bool complete = ::WriteFile(file, data, size, &written, nullptr) && written == size;
  error = complete ? 0 : ::GetLastError();
  ::CloseHandle(file);
  if (!complete) ::DeleteFileA(path.c_str());
  return complete;
}

ExitCode install(std::string& problem) {
  HRSRC resource = ::FindResourceA(nullptr, MAKEINTRESOURCEA(kPayloadId), RT_RCDATA);
  HGLOBAL loaded = resource ? ::LoadResource(nullptr, resource) : nullptr;
  const void* payload = loaded ? ::LockResource(loaded) : nullptr;
  const DWORD payloadSize = resource ? ::SizeofResource(nullptr, resource) : 0;
  if (!payload || payloadSize == 0) {
    problem = "This installer carries no player.";
    return kNoPayload;
  }

  char system[MAX_PATH];
  const UINT length = ::GetSystemDirectoryA(system, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) {
    problem = withError("The system folder is unknown.", ::GetLastError());
    return kNoFolder;
  }
  const std::string folder = std::string(system) + "\\Macromed\\Flash";
  if (!createFolder(std::string(system) + "\\Macromed") || !createFolder(folder)) {
    problem = withError("Cannot create " + folder + ".", ::GetLastError());
    return kNoFolder;
  }

  std::string path;
  DWORD error = 0;
  bool written = false;
  for (int number = 0; number < kNumberedNames && !written; ++number) {
    path = folder + "\\standin_player" + (number ? std::to_string(number) : "") + ".ocx";
    written = writeFile(path, payload, payloadSize, error);
    if (!written && !isInUse(error)) break;
  }
  if (!written) {
    problem = withError("Cannot write " + path + ".", error);
    return kCannotWrite;
  }

  HMODULE control = ::LoadLibraryA(path.c_str());
  if (!control) {
    problem = withError("Cannot load " + path + ".", ::GetLastError());
    return kCannotLoad;
  }
  using RegisterFunction = HRESULT(STDAPICALLTYPE*)();
  // Through the generic function pointer type: a FARPROC does not name the real signature.
  const auto registerServer = reinterpret_cast<RegisterFunction>(
      reinterpret_cast<void (*)()>(::GetProcAddress(control, "DllRegisterServer")));
  const HRESULT status = registerServer ? registerServer() : E_NOTIMPL;
  ::FreeLibrary(control);
  if (FAILED(status)) {
    problem = withError("Cannot register " + path + ".", static_cast<unsigned long>(status));
    return kRegistrationFailed;
  }
  return kInstalled;
}

// Where a test asks for it, the temporary folder this installer was given.
void recordTemporaryFolder() {
  char record[MAX_PATH], temporary[MAX_PATH];
  const DWORD length = ::GetEnvironmentVariableA("SAVERKIT_STANDIN_TEMP_RECORD", record, sizeof record);
  const DWORD temporaryLength = ::GetTempPathA(sizeof temporary, temporary);
  DWORD error = 0;
  if (length > 0 && length < sizeof record && temporaryLength > 0 && temporaryLength < sizeof temporary) {
    writeFile(record, temporary, temporaryLength, error);
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  bool silent = false;
  for (int i = 1; i < __argc; ++i) {
    silent = silent || ::lstrcmpiA(__argv[i], "/s") == 0 || ::lstrcmpiA(__argv[i], "/q") == 0;
  }
  delayIfAsked();
  recordTemporaryFolder();
  std::string problem;
  const ExitCode code = install(problem);
  if (!silent) {
    ::MessageBoxA(nullptr, code == kInstalled ? "Stand-in player installed." : problem.c_str(),
                  kTitle, code == kInstalled ? MB_ICONINFORMATION : MB_ICONERROR);
  }
  return code;
}
