/* A stand-in for Windows' desk.cpl, which Wine lacks: its InstallScreenSaver (what Windows runs
   for a screen saver's "Install" verb) writes one line to C:\desk_standin.txt saying what it was
   given and which programs started it, nearest first ("rundll32.exe<explorer.exe"), and whether
   its process is elevated. */
#include <windows.h>
#include <tlhelp32.h>
#include <stdio.h>
#include <string.h>

static void ancestry(char* out, size_t size) {
  DWORD id = GetCurrentProcessId();
  out[0] = '\0';
  for (int depth = 0; depth < 6; ++depth) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 entry;
    DWORD parent = 0;
    char name[MAX_PATH] = "";
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
      if (entry.th32ProcessID == id) {
        parent = entry.th32ParentProcessID;
        lstrcpynA(name, entry.szExeFile, MAX_PATH);
      }
    }
    CloseHandle(snapshot);
    if (!name[0]) break;
    if (out[0]) strncat(out, "<", size - strlen(out) - 1);
    strncat(out, name, size - strlen(out) - 1);
    if (!parent) break;
    id = parent;
  }
}

static void record(const char* given) {
  char chain[1024];
  HANDLE token;
  TOKEN_ELEVATION elevation = {0};
  DWORD length = 0;
  FILE* file = fopen("C:\\desk_standin.txt", "a");
  if (!file) return;
  ancestry(chain, sizeof chain);
  if (OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) {
    GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &length);
    CloseHandle(token);
  }
  fprintf(file, "InstallScreenSaver %s from %s\n", given, chain);
  fclose(file);
}

__declspec(dllexport) void CALLBACK InstallScreenSaverW(HWND window, HINSTANCE instance, LPWSTR line, int show) {
  char given[1024];
  (void)window; (void)instance; (void)show;
  WideCharToMultiByte(CP_ACP, 0, line, -1, given, sizeof given, NULL, NULL);
  record(given);
}

__declspec(dllexport) void CALLBACK InstallScreenSaverA(HWND window, HINSTANCE instance, LPSTR line, int show) {
  (void)window; (void)instance; (void)show;
  record(line);
}
