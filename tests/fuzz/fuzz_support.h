// Shared set-up of the fuzz targets that run the installer's readers against the fake platform:
// a machine with a working folder and our codec offered as the carried implode library.
#pragma once

#include <string>

#include "installer/installer_context.h"
#include "platform/fake/fake_platform.h"

namespace saverkit::fuzzing {

inline const std::string kWork = "C:\\Local\\Vantrel\\ZOR1\\";
inline const std::string kProduct = "C:\\PD\\Vantrel\\Fuzz\\";

// The fake platform with folders set and the codec registered; the context points at them.
struct FuzzMachine {
  FuzzMachine();
  fake::FakePlatform fakes;
  InstallerContext context{fakes.platform};
};

}  // namespace saverkit::fuzzing
