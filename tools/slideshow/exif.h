// What a photo says of itself in its EXIF block: how its pixels must be turned to stand upright,
// and the day it was taken. Read from the file's first bytes, whatever decodes the pixels: the
// system's decoders do not all pass the tags on (Wine's GDI+ gives none for a JPEG).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

namespace saverkit::slideshow {

// The bytes to read from a file's start to find its EXIF block: a JPEG keeps it in an APP1
// segment near the start, at most 64 KiB long.
inline constexpr std::size_t kExifSearchBytes = 128 * 1024;

// The Orientation tag (0x0112) of the first EXIF block of a JPEG's first bytes: 1 to 8, or 1 when
// the bytes hold no JPEG, no EXIF block, no such tag, or a damaged one.
int exifOrientation(const std::uint8_t* data, std::size_t size);

struct CalendarDate {
  int year = 0, month = 0, day = 0;
};
// EXIF DateTimeOriginal (tag 0x9003 in the Exif directory that tag 0x8769 of the first directory
// points to), read from the same first bytes: nothing when absent, damaged, or not a real date
// from the year 1800 on (a camera without a set clock writes zeros).
std::optional<CalendarDate> exifDateTaken(const std::uint8_t* data, std::size_t size);

}  // namespace saverkit::slideshow
