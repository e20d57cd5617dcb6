/* A program a user's file association names, as the user's other programs could arrange: started,
   it writes C:\association-marker.txt with the file name of the process that started it and its
   own command line, so a test can tell who ran it. */
#include <windows.h>
#include <tlhelp32.h>
#include <stdio.h>
#include <string.h>

static DWORD parentOf(HANDLE snapshot, DWORD process, char* name, size_t size) {
  PROCESSENTRY32 entry;
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
    if (entry.th32ProcessID == process) {
      if (name) snprintf(name, size, "%s", entry.szExeFile);
      return entry.th32ParentProcessID;
    }
  }
  return 0;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR arguments, int show) {
  (void)instance, (void)previous, (void)show;
  char parent[MAX_PATH] = "(gone)";
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot != INVALID_HANDLE_VALUE) {
    const DWORD parentId = parentOf(snapshot, GetCurrentProcessId(), NULL, 0);
    if (parentId) parentOf(snapshot, parentId, parent, sizeof parent);
    CloseHandle(snapshot);
  }
  FILE* marker = fopen("C:\\association-marker.txt", "w");
  if (!marker) return 1;
  fprintf(marker, "parent=%s\nopened=%s\n", parent, arguments);
  fclose(marker);
  return 0;
}
