// saverpack's entry point: hands the arguments to the command line runner. On Windows the
// arguments are taken in UTF-16 and passed on as UTF-8, so paths in any language work.
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "cli.h"

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) args.push_back(std::filesystem::path(argv[i]).u8string());
  const std::string self = argc > 0 ? std::filesystem::path(argv[0]).u8string() : std::string();
  return saverpack::runSaverpack(args, saverpack::programFolderOf(self.c_str()), std::cout, std::cerr);
}
#else
int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  return saverpack::runSaverpack(args, saverpack::programFolderOf(argc > 0 ? argv[0] : nullptr),
                                 std::cout, std::cerr);
}
#endif
