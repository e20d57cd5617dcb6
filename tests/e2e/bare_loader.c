/* Loads a library by its bare name, the way the installer must never do: the planted-library
   case runs it first to show that a planted copy would be found and would run. */
#include <windows.h>
#include <stdio.h>

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  HMODULE library = LoadLibraryA(argv[1]);
  printf("loaded %s: %s\n", argv[1], library ? "yes" : "no");
  return library ? 0 : 1;
}
