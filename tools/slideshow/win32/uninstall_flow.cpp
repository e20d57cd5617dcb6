// /u on Windows; see the header.
#include "uninstall_flow.h"

#include "platform/win32/unique_handle.h"

#include <shellapi.h>

#include "common/text_helpers.h"
#include "saver_texts.h"
#include "uninstall.h"

namespace saverkit::slideshow::win32 {
namespace {

using saverkit::win32::UniqueNullHandle;
using saverkit::win32::UniqueRegistryKey;

// Before Windows Vista a token has no elevation to ask about: the rights are what they are, and
// the removal says what it could not do.
bool processIsElevated() {
  HANDLE token = nullptr;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) return true;
  UniqueNullHandle owned(token);
  TOKEN_ELEVATION elevation{};
  DWORD size = 0;
  if (!::GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size)) return true;
  return elevation.TokenIsElevated != 0;
}

enum class Handover { kFinished, kDeclined, kNotStarted };

// Starts this engine again with raised rights and waits for it to end, so that whoever started
// /u (Programs and Features among them) sees the removal done when this process ends. The verb
// is taken from the machine's own class for programs (HKLM\Software\Classes\exefile), never
// from the ".scr" association or anything the user's part of the registry adds, so the elevated
// process is this file and nothing else.
Handover runElevatedCopy(const std::string& modulePath, DWORD& exitCode) {
  HKEY classKey = nullptr;
  if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Classes\\exefile", 0, KEY_READ, &classKey) != ERROR_SUCCESS) {
    return Handover::kNotStarted;
  }
  UniqueRegistryKey owned(classKey);
  const std::string parameters = std::string("/u ") + kRelaunchedMarker;
  SHELLEXECUTEINFOA info{};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_CLASSKEY | SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI | SEE_MASK_NOCLOSEPROCESS;
  info.hkeyClass = classKey;
  info.lpVerb = "runas";
  info.lpFile = modulePath.c_str();
  info.lpParameters = parameters.c_str();
  info.nShow = SW_SHOWNORMAL;
  if (!::ShellExecuteExA(&info)) {
    return ::GetLastError() == ERROR_CANCELLED ? Handover::kDeclined : Handover::kNotStarted;
  }
  // Started, yet no process to wait on: the outcome is unknown, and no removal is claimed.
  exitCode = 1;
  if (!info.hProcess) return Handover::kFinished;
  UniqueNullHandle process(info.hProcess);
  ::WaitForSingleObject(info.hProcess, INFINITE);
  if (!::GetExitCodeProcess(info.hProcess, &exitCode)) exitCode = 1;
  return Handover::kFinished;
}

using DisableRedirection = BOOL(WINAPI*)(PVOID*);
using RevertRedirection = BOOL(WINAPI*)(PVOID);

template <typename Function>
Function kernelFunction(const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("kernel32.dll"), name)));
}

// The path Windows will see when it restarts: a 32-bit process sees the 64-bit system folder as
// "Sysnative" and its own as "system32", names that mean something else, or nothing, at boot.
std::string pathAtRestart(const std::string& path, const SaverPlaces& places) {
  if (places.nativeSystemFolder.empty()) return path;
  const std::string lowered = toLowerAscii(path);
  const std::string name = fileNameOf(path);
  if (startsWith(lowered, toLowerAscii(places.nativeSystemFolder))) {
    char windows[MAX_PATH] = {};
    const UINT length = ::GetSystemWindowsDirectoryA(windows, MAX_PATH);
    if (length > 0 && length < MAX_PATH) return withTrailingBackslash(windows) + "System32\\" + name;
  }
  if (startsWith(lowered, toLowerAscii(places.systemFolder))) {
    char wow64[MAX_PATH] = {};
    using GetWow64Folder = UINT(WINAPI*)(LPSTR, UINT);
    const auto query = kernelFunction<GetWow64Folder>("GetSystemWow64DirectoryA");
    const UINT length = query ? query(wow64, MAX_PATH) : 0;
    if (length > 0 && length < MAX_PATH) return withTrailingBackslash(wow64) + name;
  }
  return path;
}

bool deleteAtRestart(const std::string& original, const SaverPlaces& places) {
  // A running engine can be renamed though not deleted. Moved aside under a name of its own, it
  // leaves the saver's name free at once: a reinstall before the restart keeps its new engine,
  // and the restart deletes only the old one.
  std::string path = original;
  const std::string aside = original + "." + decimal(::GetTickCount()) + ".removed";
  if (::MoveFileExA(original.c_str(), aside.c_str(), 0)) path = aside;
  const std::string real = pathAtRestart(path, places);
  if (real == path) return ::MoveFileExA(path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) != 0;
  // The real path is only reached with the file-system redirection of WOW64 off, for this call.
  const auto disable = kernelFunction<DisableRedirection>("Wow64DisableWow64FsRedirection");
  const auto revert = kernelFunction<RevertRedirection>("Wow64RevertWow64FsRedirection");
  PVOID state = nullptr;
  const bool disabled = disable && revert && disable(&state);
  const bool scheduled = ::MoveFileExA(real.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) != 0;
  if (disabled) revert(state);
  return scheduled;
}

}  // namespace

int runUninstall(FileSystem& files, Registry& registry, SystemInfo& system, const SaverPlaces& places,
                 const SaverCommand& command, const std::string& modulePath) {
  const UninstallPlan plan = makeUninstallPlan(places);
  const std::string& title = places.saverName;
  const auto removeAll = [&] {
    return removeSaver(files, registry, plan,
                       [&places](const std::string& path) { return deleteAtRestart(path, places); });
  };
  const bool installed = somethingInstalled(files, registry, plan, modulePath);
  const UninstallStep step = decideUninstall(installed, processIsElevated(), command.relaunched);
  if (step == UninstallStep::kSayNothingInstalled) {
    ::MessageBoxA(nullptr, nothingInstalledText(places.saverName).c_str(), title.c_str(), MB_OK | MB_ICONINFORMATION);
    return 0;
  }
  if (step == UninstallStep::kRemoveHandedOver) return exitCodeFor(removeAll());

  if (::MessageBoxA(nullptr, confirmRemovalText(places.saverName).c_str(), title.c_str(),
                    MB_YESNO | MB_ICONQUESTION) != IDYES) {
    return 0;
  }
  // The user's own setting, in this user's hive, before anything else goes.
  ActiveSaverChange change = clearActiveSaver(registry, system, plan);
  std::string text;
  bool partsStay = false;
  if (step == UninstallStep::kAskAndRemove) {
    UninstallOutcome outcome = removeAll();
    if (change.failed) {
      outcome.leftOver.push_back(std::string("HKEY_CURRENT_USER\\") + kDesktopKey + "\\" + kActiveSaverValue);
    }
    for (auto* list : {&outcome.leftOver, &outcome.removedAtRestart}) {
      for (std::string& item : *list) item = pathAsTheUserKnowsIt(places, item);
    }
    text = removalOutcomeText(places.saverName, outcome.leftOver, outcome.removedAtRestart, change.cleared);
    partsStay = !outcome.leftOver.empty();
  } else {
    DWORD exitCode = 0;
    switch (runElevatedCopy(modulePath, exitCode)) {
      case Handover::kDeclined:  // the rights prompt was declined: nothing happened, nothing changes
        restoreActiveSaver(registry, change);
        return 0;
      case Handover::kNotStarted:
        restoreActiveSaver(registry, change);
        ::MessageBoxA(nullptr, cannotRaiseRightsText(places.saverName).c_str(), title.c_str(), MB_OK | MB_ICONERROR);
        return 1;
      case Handover::kFinished:
        break;
    }
    const RemovalResult result = resultOfExitCode(exitCode);
    // The elevated copy could not remove the engine (no rights after all): the saver stays the
    // user's choice instead of an empty one.
    if (result == RemovalResult::kPartsStay && engineStays(files, plan)) {
      restoreActiveSaver(registry, change);
      change.cleared = false;
    }
    text = handedOverOutcomeText(places.saverName, result, change.cleared, change.failed);
    partsStay = result == RemovalResult::kPartsStay || change.failed;
  }
  ::MessageBoxA(nullptr, text.c_str(), title.c_str(), MB_OK | (partsStay ? MB_ICONWARNING : MB_ICONINFORMATION));
  return partsStay ? 1 : 0;
}

}  // namespace saverkit::slideshow::win32
