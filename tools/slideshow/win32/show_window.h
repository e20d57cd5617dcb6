// The show itself: full screen across every monitor (/s), or inside the settings page's preview
// window (/p). One picture after another, each for the chosen time, cross-faded, fitted or
// filled on black, going on where the last full-screen show stopped; a plain message while
// there is nothing to show.
#pragma once

#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/registry.h"
#include "platform/win32/windows_api.h"
#include "saver_settings.h"
#include "show_rules.h"

namespace saverkit::slideshow::win32 {

struct ShowRequest {
  HWND previewParent = nullptr;  // null: full screen
  std::string saverName;
  std::string productFolder;
  FileSystem* files = nullptr;  // the pictures are read from the product folder through it
  Registry* registry = nullptr;  // where a full-screen show keeps its resume point
  SaverSettings settings;
  ResumePoint resume;
};

// Runs until the show ends (input in full screen, the parent's end in a preview): the exit code.
int runShow(HINSTANCE instance, const ShowRequest& request);

}  // namespace saverkit::slideshow::win32
