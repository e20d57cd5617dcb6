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
  // again without loading anything.
  if (HMODULE loaded = ::GetModuleHandleA(path.c_str())) return loaded;
  return ::LoadLibraryA(path.c_str());
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
