// Fuzzes what the installer makes of its command line: splitting it into parameters and
// finding the launcher switch. Neither may crash; a bad switch raises only our own error.
#include <cstddef>
#include <cstdint>
#include <string>

#include "common/command_line.h"
#include "common/saverkit_error.h"
#include "installer/launcher_channel.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string commandLine(reinterpret_cast<const char*>(data), size);
  const auto parameters = saverkit::splitCommandLine(commandLine);
  try {
    saverkit::parseLauncherWindow(parameters);
  } catch (const saverkit::SaverkitError&) {
  }
  return 0;
}
