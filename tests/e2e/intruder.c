/* A program of the same user as the installer, without its rights, that tries to change what
   the installer is working with: it writes the working copy, copies a library of its own over
   the implode library and over the player installer, and renames the working folder. One line
   per attempt: "<what> refused <code>" or "<what> DONE". */
#include <windows.h>
#include <stdio.h>
#include <string.h>

static void report(const char* what, BOOL done) {
  if (done) printf("%s DONE\n", what);
  else printf("%s refused %lu\n", what, (unsigned long)GetLastError());
}

int main(int argc, char** argv) {
  char path[MAX_PATH + 64];
  char moved[MAX_PATH + 64];
  HANDLE file;
  if (argc < 4) {
    fprintf(stderr, "usage: intruder WORKING-FOLDER LIBRARY PLAYER-INSTALLER-NAME\n");
    return 2;
  }
  snprintf(path, sizeof path, "%s\\temp.dat", argv[1]);
  file = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
  report("write temp.dat", file != INVALID_HANDLE_VALUE);
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  snprintf(path, sizeof path, "%s\\impborl.dll", argv[1]);
  report("copy over impborl.dll", CopyFileA(argv[2], path, FALSE));
  snprintf(path, sizeof path, "%s\\%s", argv[1], argv[3]);
  report("copy over the player installer", CopyFileA(argv[2], path, FALSE));
  snprintf(moved, sizeof moved, "%s-moved", argv[1]);
  report("rename the working folder", MoveFileA(argv[1], moved));
  fflush(stdout);
  return 0;
}
