// System libraries; see the header.
#include "platform/win32/system_library.h"

#include <string>

namespace saverkit::win32 {

void restrictLibrarySearchToSystemFolder() {
  using SetDirectories = BOOL(WINAPI*)(DWORD);
  constexpr DWORD kSearchSystem32 = 0x00000800;  // LOAD_LIBRARY_SEARCH_SYSTEM32
  // kernel32 is always loaded and always the system's own.
  auto set = reinterpret_cast<SetDirectories>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "SetDefaultDllDirectories")));
  if (set) set(kSearchSystem32);
}

HMODULE systemLibrary(const char* name) {
  char folder[MAX_PATH] = {};
  const UINT length = ::GetSystemDirectoryA(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return nullptr;
  const std::string path = std::string(folder) + "\\" + name;
  // Loaded by its full path: the search order never comes into it. A loaded library answers
  // again without loading anything. Where the search could not be restricted, the library's own
  // imports are looked for beside it, in the system folder, rather than beside the installer.
  if (HMODULE loaded = ::GetModuleHandleA(path.c_str())) return loaded;
  return ::LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

void preloadSystemLibraries() {
  // Measured with the loader's log in a window install with a movie, a licence, a read-me and
  // the control-panel question. Each comes before what loads it, so that its own late loads
  // find it too: cryptbase (advapi32's random numbers on Windows 7), msimg32 and dwmapi
  // (delay-loaded by the theme library), uxtheme (the common controls), usp10 (the rich-text
  // box), actxprxy (the proxies COM loads for the movie's control). A name the system lacks
  // loads nothing. imm32 is not here: user32 loads it as the process starts, before any of our
  // code, and Windows takes it, a known library, from the system folder only.
  static constexpr const char* kLateLoaded[] = {
      "cryptbase.dll", "msimg32.dll", "dwmapi.dll", "uxtheme.dll", "usp10.dll", "actxprxy.dll",
  };
  for (const char* name : kLateLoaded) systemLibrary(name);
}

HMODULE commonControlsLibrary() {
  constexpr DWORD kSearchSystem32 = 0x00000800;  // LOAD_LIBRARY_SEARCH_SYSTEM32
  // By name, so that the activation context of the manifest turns the name into version 6; the
  // flag keeps the library's own imports to the system folder. Systems that do not know the flag
  // refuse the call, and get the system folder's copy by its full path instead.
  if (HMODULE loaded = ::LoadLibraryExA("comctl32.dll", nullptr, kSearchSystem32)) return loaded;
  return systemLibrary("comctl32.dll");
}

}  // namespace saverkit::win32
