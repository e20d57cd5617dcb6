// The portable half of a picture's caption: which words it shows (the file's name, or the day the
// photo was taken), where its plate stands, and the plate itself, a darkened rounded box that
// keeps light text readable on a white picture as on a black one. The Win32 half measures, dates
// and draws the text (win32/caption_painter).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "backdrop.h"
#include "exif.h"
#include "placement.h"

namespace saverkit::slideshow {

// The file's name without its folder and its extension: "C:\Photos\Beach.2019.jpg" gives
// "Beach.2019". A name that is only an extension (".jpg") stays whole.
std::wstring captionFileName(std::wstring_view path);

// The day to show: the one the photo's EXIF block says it was taken (from the file's first bytes),
// else the day the file was last written, else none.
std::optional<CalendarDate> captionDate(const std::uint8_t* firstBytes, std::size_t size,
                                        std::optional<CalendarDate> lastWritten);

// Sizes at 96 dots per inch, scaled with the screen's.
struct CaptionMetrics {
  std::int32_t margin = 0;    // from the area's edges to the plate
  std::int32_t paddingX = 0;  // from the plate's sides to the text
  std::int32_t paddingY = 0;
  std::int32_t radius = 0;    // of the plate's corners
  std::int32_t fontHeight = 0;
};
CaptionMetrics captionMetrics(std::uint32_t dpi);

// The plate for a text of that size in the bottom-right corner of `area`, never beyond it: a text
// wider than the area gets the area's width less the margins (the text is cut to fit). Empty when
// the area cannot hold a plate with its margins.
Box captionPlate(const Box& area, std::int32_t textWidth, std::int32_t textHeight, const CaptionMetrics& metrics);

// The plate's brightness against what it covers, in 256ths.
inline constexpr int kPlateBrightness = 90;
// Darkens `plate` of `pixels` (clipped to them) to kPlateBrightness, its corners rounded.
void darkenPlate(PixelView pixels, const Box& plate, std::int32_t radius);

}  // namespace saverkit::slideshow
