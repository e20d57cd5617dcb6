// The settings dialog (/c, /c:<hwnd>, no argument): seconds per picture, the order, the scaling,
// what stands around a fitted picture and the caption, kept per user for this saver.
#pragma once

#include <string>

#include "saver_settings.h"

#include "platform/registry.h"
#include "platform/win32/windows_api.h"

namespace saverkit::slideshow::win32 {

// Shows the dialog, with the visual styles of common controls 6, owned by `given` or, when that
// is null or no window, by the window in front: the exit code.
// `defaults`: the show as the saver's author set it up, shown where the user has stored nothing.
int runSettingsDialog(HINSTANCE instance, HWND given, Registry& registry, const std::string& saverName,
                      const SaverSettings& defaults);

}  // namespace saverkit::slideshow::win32
