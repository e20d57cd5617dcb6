// Shared set-up of the fuzz targets that run the installer's readers against the fake platform:
// a machine with a working folder and our codec offered as the carried implode library.
#pragma once

#include <string>

#include "installer/fake/fake_platform.h"
#include "installer/installer_context.h"

namespace saverkit::fuzzing {

inline const std::string kWork = "C:\\Local\\Vantrel\\ZOR1\\";
inline const std::string kProduct = "C:\\PD\\Vantrel\\Fuzz\\";

// The fake platform with folders set and the codec registered; the context points at them.
struct FuzzMachine {
  FuzzMachine();
  fake::FakePlatform fakes;
  InstallerContext context{fakes.platform, fakes.view};

  // A file the run made and holds with these bytes, as the working copy and the data file are.
  std::unique_ptr<ScratchFile> heldFile(const std::string& path, const std::string& bytes) {
    Status error = 0;
    auto file = fakes.files.createScratchFile(path, error);
    if (file) {
      file->write(bytes.data(), bytes.size());
      file->close();
    }
    return file;
  }
};

}  // namespace saverkit::fuzzing
