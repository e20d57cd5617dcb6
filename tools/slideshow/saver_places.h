// Where one installed saver lives, worked out from the engine's own file name: an installed
// saver is "<system folder>\<saver name>.scr" (a copy of this engine under the saver's name) and
// its content is the product folder "<common application data>\Vantrel\<saver name>\".
#pragma once

#include <string>

#include "platform/system_info.h"

namespace saverkit::slideshow {

struct SaverPlaces {
  std::string saverName;
  std::string systemFolder;        // with a trailing backslash; empty when unknown
  std::string nativeSystemFolder;  // "<SystemRoot>\Sysnative\" under WOW64 only
  std::string productFolder;       // empty when the name could leave the shared folder
};

// The file name of the engine's long path without a final ".scr" (any case).
std::string saverNameFromModulePath(const std::string& longModulePath);

// Where the saver lives, all from the system and the engine's own name: never from the
// environment, which the user's programs set and an elevated /u inherits.
SaverPlaces findSaverPlaces(SystemInfo& system, const std::string& longModulePath);

// A path as the user knows it from Explorer. Under WOW64 this engine sees the 64-bit system
// folder as "Sysnative" and the 32-bit one as "system32"; the user knows them as "System32" and
// "SysWOW64". Other paths are returned as they are.
std::string pathAsTheUserKnowsIt(const SaverPlaces& places, const std::string& path);

}  // namespace saverkit::slideshow
