// The installer's presentation: the picture or movie of slot 3, taken out of the package into
// the working folder and shown in the installer window.
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

// Plays a movie in the movie panel: 0, or the status that sends the startup to the movie
// fallback. Until the movie panel hosts the player control, no player can be created (-403),
// so movie packages install through the fallback.
Status playMovie(InstallerContext& context, const std::string& path);

}  // namespace saverkit
