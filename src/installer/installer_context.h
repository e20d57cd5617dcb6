// The program-wide records of one run, created by main/WinMain and passed down: the platform,
// the installer state, and (as later steps need them) folders, paths and the package header.
#pragma once

#include <string>

#include "installer/installer_state.h"
#include "package/package_format.h"
#include "platform/platform.h"
#include "system/folders.h"

namespace saverkit {

struct InstallerContext {
  explicit InstallerContext(Platform& platformIn) : platform(platformIn) {}

  Platform& platform;
  InstallerState state;
  // Set once by the startup sequence; the working folder is removed when the window closes.
  Folders folders;
  // The package header, read once from the working copy.
  PackageHeader header;
  std::string installerPath;
  std::string workCopyPath;
  std::string saverName;
  std::string productFolder;
  std::string dataFilePath;
  // The process exit code: the install's status in quiet mode, 0 otherwise.
  int exitCode = 0;
};

}  // namespace saverkit
