// The engine's command line, as Windows and the Screen Saver settings page write it: what the
// engine is asked to do and the window it is given.
#pragma once

#include <string>
#include <vector>

#include "platform/platform_types.h"

namespace saverkit::slideshow {

enum class SaverMode {
  kShow,       // /s: full screen
  kPreview,    // /p <hwnd>: inside the settings page's preview window
  kSettings,   // /c, /c:<hwnd> or nothing at all
  kUninstall,  // /u
  kInvalid,    // anything else, or /p without a window
};

struct SaverCommand {
  SaverMode mode = SaverMode::kSettings;
  WindowHandle window = kNoWindow;  // the preview's parent, or the settings dialog's owner
  // Set on the copy that /u started with raised rights, so it never starts another one.
  bool relaunched = false;
};

// The marker the elevated copy of /u gets after its "/u".
inline constexpr const char* kRelaunchedMarker = "/relaunched";

// Switches start with "/" or "-" and ignore letter case; a window follows as ":<n>" or as the
// next parameter (decimal).
SaverCommand parseSaverCommand(const std::vector<std::string>& parameters);

}  // namespace saverkit::slideshow
