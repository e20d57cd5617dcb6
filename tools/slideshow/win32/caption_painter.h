// A picture's caption, drawn by the show's worker into a frame's memory context: the text (the
// file's name or the day the photo was taken, in the user's long date format) and its plate in
// the bottom-right corner of each monitor's area.
#pragma once

#include <string>

#include "placement.h"
#include "platform/win32/windows_api.h"
#include "saver_settings.h"

namespace saverkit::slideshow::win32 {

// The caption's text for a picture: the file's name without folder and extension, or the day it
// was taken (EXIF DateTimeOriginal, else the file's last-written day in local time) in the user's
// long date format. Empty for Caption::kNone or when nothing can be read.
std::wstring captionText(Caption caption, const std::string& path);

// Draws the caption in the bottom-right corner of `area` of a 32-bit DIB section's memory DC:
// light text on a darkened, rounded plate, its size following `dpi` (96 = 100 %). Nothing for an
// empty text, an area too small for it or a context without a 32-bit DIB section; a text too
// wide for the area ends in an ellipsis.
void drawCaption(HDC dc, const Box& area, const std::wstring& text, UINT dpi);

}  // namespace saverkit::slideshow::win32
