// The installer's presentation: the picture or movie of slot 3, taken out of the package into
// the working folder; the movie panel plays a movie from there.
#pragma once

#include <string>

#include "common/status.h"
#include "installer/installer_context.h"

namespace saverkit {

// The name with its extension replaced (or appended when it has none), at most 255 characters.
std::string changeFileExtension(const std::string& name, const std::string& extension);

// Slot 3 into its destination; for bitmap and JPEG modes the slot's name first takes the
// extension ".BMP" or ".jpg". -531 (unshown) for an empty slot.
Status extractPresentation(InstallerContext& context);

}  // namespace saverkit
