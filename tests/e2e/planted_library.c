/* A library planted beside an installer, as an attacker would: loaded, it leaves a marker file
   named after itself (C:\planted-<file name>.txt), so a test can tell that it ran. */
#include <windows.h>
#include <string.h>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID reserved) {
  (void)reserved;
  if (reason == DLL_PROCESS_ATTACH) {
    char path[MAX_PATH];
    char marker[MAX_PATH + 32] = "C:\\planted-";
    const DWORD length = GetModuleFileNameA(self, path, MAX_PATH);
    const char* name = path;
    for (DWORD i = 0; i < length; ++i) {
      if (path[i] == '\\' || path[i] == '/') name = path + i + 1;
    }
    strncat(marker, name, MAX_PATH);
    strcat(marker, ".txt");
    HANDLE file = CreateFileA(marker, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  }
  return TRUE;
}
