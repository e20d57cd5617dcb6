// The show itself: full screen across every monitor (/s), or inside the settings page's preview
// window (/p). One picture after another, each for the chosen time, cross-faded, fitted or
// filled on black; a plain message when there is nothing to show.
#pragma once

#include <string>
#include <vector>

#include "platform/win32/windows_api.h"
#include "saver_settings.h"

namespace saverkit::slideshow::win32 {

struct ShowRequest {
  HWND previewParent = nullptr;  // null: full screen
  std::string saverName;
  std::string productFolder;
  std::vector<std::string> pictures;
  SaverSettings settings;
};

// Runs until the show ends (input in full screen, the parent's end in a preview): the exit code.
int runShow(HINSTANCE instance, const ShowRequest& request);

}  // namespace saverkit::slideshow::win32
