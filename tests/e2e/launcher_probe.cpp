// A probe for the launcher channel between real processes: it runs the installer's own channel
// code over the Win32 platform. Every argument after "--send" is sent as one command (with
// "\0" written as a literal NUL), then the close notification is posted. The process exits
// with the code given by "--exit=N", so the driver's full 32-bit exit code can be checked too.
#include <cstdlib>
#include <string>

#include "common/saverkit_error.h"
#include "installer/installer_context.h"
#include "installer/launcher_channel.h"
#include "platform/win32/windows_api.h"
#include "ui/win32/win32_runtime.h"

int main(int argc, char** argv) {
  using namespace saverkit;
  win32::Win32Runtime runtime;
  InstallerContext context(runtime.platform, runtime.view);

  int exitCode = 0;
  bool sending = false;
  try {
    for (int i = 1; i < argc; ++i) {
      const std::string argument = argv[i];
      if (argument.rfind("--exit=", 0) == 0) exitCode = std::atoi(argument.c_str() + 7);
      if (argument == "--send") {
        sending = true;
        continue;
      }
      if (!sending) continue;
      std::string command;
      for (std::size_t at = 0; at < argument.size(); ++at) {
        if (argument.compare(at, 2, "\\0") == 0) {
          command += '\0';
          ++at;
        } else {
          command += argument[at];
        }
      }
      sendToLauncher(context, command);
    }
  } catch (const SaverkitError& error) {
    ::MessageBoxA(nullptr, error.what(), "probe", MB_OK);
    return 3;
  }
  notifyLauncherClosed(context);
  return exitCode;
}
