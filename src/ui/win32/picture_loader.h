// Loading the presentation picture: a bitmap file through the system, a JPEG file through
// libjpeg (linked statically), both as a device-independent bitmap the window can draw.
#pragma once

#include <string>

#include "platform/win32/unique_handle.h"

namespace saverkit::win32 {

// Nothing (an empty handle) when the file is missing or not a readable picture.
UniqueGdiObject loadPicture(const std::string& path);

}  // namespace saverkit::win32
