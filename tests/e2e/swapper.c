/* A program of the same user that swaps the installer under a running copy of it: it starts the
   installer suspended (the loader has mapped its image, nothing of it has run), renames its file,
   copies another installer into its place and lets it run. Prints what it did and
   "exit <full 32-bit code>". */
#include <windows.h>
#include <stdio.h>
#include <string.h>

int main(int argc, char** argv) {
  char command[4096];
  char moved[MAX_PATH + 16];
  STARTUPINFOA startup;
  PROCESS_INFORMATION process;
  DWORD code = 0;
  int i;
  if (argc < 3) {
    fprintf(stderr, "usage: swapper INSTALLER REPLACEMENT [ARGUMENT...]\n");
    return 2;
  }
  snprintf(command, sizeof command, "\"%s\"", argv[1]);
  for (i = 3; i < argc; ++i) {
    strncat(command, " ", sizeof command - strlen(command) - 1);
    strncat(command, argv[i], sizeof command - strlen(command) - 1);
  }
  memset(&startup, 0, sizeof startup);
  startup.cb = sizeof startup;
  if (!CreateProcessA(argv[1], command, NULL, NULL, FALSE, CREATE_SUSPENDED, NULL, NULL, &startup, &process)) {
    printf("start failed %lu\n", (unsigned long)GetLastError());
    return 1;
  }
  snprintf(moved, sizeof moved, "%s.moved", argv[1]);
  printf(MoveFileA(argv[1], moved) ? "renamed\n" : "rename refused %lu\n", (unsigned long)GetLastError());
  printf(CopyFileA(argv[2], argv[1], FALSE) ? "replaced\n" : "copy refused %lu\n", (unsigned long)GetLastError());
  fflush(stdout);
  ResumeThread(process.hThread);
  WaitForSingleObject(process.hProcess, 120000);
  GetExitCodeProcess(process.hProcess, &code);
  printf("exit %ld\n", (long)code);
  return 0;
}
