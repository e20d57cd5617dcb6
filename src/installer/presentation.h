// The installer's presentation: the picture or movie of slot 3, taken out of the package into
// the working folder; the movie panel plays a movie from there.
#pragma once

#include <cstdint>
#include <string>

#include "common/status.h"
#include "installer/installer_context.h"

namespace saverkit {

// The name with its extension replaced (or appended when it has none), at most 255 characters.
std::string changeFileExtension(const std::string& name, const std::string& extension);

// The name a presentation is written and shown under: for the bitmap and JPEG modes the
// package's name with the extension ".BMP" or ".jpg", for the others the package's name.
std::string presentationFileName(const std::string& name, std::uint8_t presentationMode);

// Slot 3 into its destination, under the name above. -531 (unshown) for an empty slot.
Status extractPresentation(InstallerContext& context);

}  // namespace saverkit
