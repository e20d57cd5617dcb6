// /u on Windows: the rights check, the elevated restart, the question, the removal with the
// running engine left for the next restart, and the closing message.
#pragma once

#include <string>

#include "platform/file_system.h"
#include "platform/registry.h"
#include "platform/system_info.h"
#include "saver_command.h"
#include "saver_places.h"

namespace saverkit::slideshow::win32 {

// The exit code: 0 when done, declined or nothing was there; 1 when parts stay or rights could
// not be asked for. The elevated copy the user's part starts (marked as relaunched) shows
// nothing and answers 0 (removed), 3 (removed, some files at the next restart) or 1 (parts stay).
int runUninstall(FileSystem& files, Registry& registry, SystemInfo& system, const SaverPlaces& places,
                 const SaverCommand& command, const std::string& modulePath);

}  // namespace saverkit::slideshow::win32
