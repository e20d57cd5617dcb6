// The EXIF readers; see the header. Every offset comes from the file, so each is checked against
// the bytes there are before it is followed.
#include "exif.h"

#include <cstring>

namespace saverkit::slideshow {
namespace {

struct TiffReader {
  const std::uint8_t* data = nullptr;
  std::size_t size = 0;
  bool bigEndian = false;

  bool has(std::size_t at, std::size_t length) const { return at <= size && size - at >= length; }
  std::uint32_t read16(std::size_t at) const {
    return bigEndian ? (data[at] << 8 | data[at + 1]) : (data[at + 1] << 8 | data[at]);
  }
  std::uint32_t read32(std::size_t at) const {
    return bigEndian ? (read16(at) << 16 | read16(at + 2)) : (read16(at + 2) << 16 | read16(at));
  }
};

struct TiffEntry {
  std::uint32_t type = 0;
  std::uint32_t count = 0;
  std::size_t valueAt = 0;  // the entry's value field: the value itself, or an offset to it
};

// The TIFF block of the first EXIF block (APP1 "Exif\0\0") of a JPEG's first bytes, if any.
std::optional<TiffReader> exifTiff(const std::uint8_t* data, std::size_t size) {
  if (size < 4 || data[0] != 0xFF || data[1] != 0xD8) return std::nullopt;
  // The segments after the start marker: a marker, a big-endian length that counts itself, the
  // body. The picture's data (start of scan) ends the search.
  std::size_t at = 2;
  while (at + 4 <= size && data[at] == 0xFF) {
    const std::uint8_t marker = data[at + 1];
    if (marker == 0xDA || marker == 0xD9) return std::nullopt;
    const std::size_t length = static_cast<std::size_t>(data[at + 2] << 8 | data[at + 3]);
    if (length < 2 || size - (at + 2) < length) return std::nullopt;
    const std::uint8_t* body = data + at + 4;
    const std::size_t bodySize = length - 2;
    if (marker == 0xE1 && bodySize >= 6 && std::memcmp(body, "Exif\0\0", 6) == 0) {
      TiffReader tiff{body + 6, bodySize - 6, false};
      if (tiff.size < 8) return std::nullopt;
      if (std::memcmp(tiff.data, "MM\0*", 4) == 0) {
        tiff.bigEndian = true;
      } else if (std::memcmp(tiff.data, "II*\0", 4) != 0) {
        return std::nullopt;
      }
      return tiff;
    }
    at += 2 + length;
  }
  return std::nullopt;
}

// The entry with `tag` in the directory at `directory`.
std::optional<TiffEntry> findEntry(const TiffReader& tiff, std::size_t directory, std::uint32_t tag) {
  if (!tiff.has(directory, 2)) return std::nullopt;
  const std::size_t count = tiff.read16(directory);
  for (std::size_t entry = directory + 2, index = 0; index < count && tiff.has(entry, 12); ++index, entry += 12) {
    if (tiff.read16(entry) == tag) return TiffEntry{tiff.read16(entry + 2), tiff.read32(entry + 4), entry + 8};
  }
  return std::nullopt;
}

int digits(const std::uint8_t* text, int count) {
  int value = 0;
  for (int index = 0; index < count; ++index) {
    if (text[index] < '0' || text[index] > '9') return -1;
    value = value * 10 + (text[index] - '0');
  }
  return value;
}

// "YYYY:MM:DD ...", a real day of the Gregorian calendar from 1800 on: cameras without a set clock
// write zeros or blanks, and some write their own starting date of 1900 or 1970, which still reads.
std::optional<CalendarDate> parseExifDate(const std::uint8_t* text) {
  if (text[4] != ':' || text[7] != ':') return std::nullopt;
  const CalendarDate date{digits(text, 4), digits(text + 5, 2), digits(text + 8, 2)};
  if (date.year < 1800 || date.month < 1 || date.month > 12 || date.day < 1) return std::nullopt;
  static constexpr int kDaysIn[12] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (date.year % 4 == 0 && date.year % 100 != 0) || date.year % 400 == 0;
  if (date.day > kDaysIn[date.month - 1] || (date.month == 2 && date.day == 29 && !leap)) return std::nullopt;
  return date;
}

}  // namespace

int exifOrientation(const std::uint8_t* data, std::size_t size) {
  const auto tiff = exifTiff(data, size);
  if (!tiff) return 1;
  constexpr std::uint32_t kOrientationTag = 0x0112, kShort = 3;
  const auto entry = findEntry(*tiff, tiff->read32(4), kOrientationTag);
  if (!entry || entry->type != kShort || entry->count != 1) return 1;
  const std::uint32_t value = tiff->read16(entry->valueAt);
  return value >= 1 && value <= 8 ? static_cast<int>(value) : 1;
}

std::optional<CalendarDate> exifDateTaken(const std::uint8_t* data, std::size_t size) {
  const auto tiff = exifTiff(data, size);
  if (!tiff) return std::nullopt;
  // The Exif directory's place, a LONG (some writers call its type IFD, 13) in the first directory.
  constexpr std::uint32_t kExifDirectoryTag = 0x8769, kLong = 4, kDirectory = 13;
  const auto pointer = findEntry(*tiff, tiff->read32(4), kExifDirectoryTag);
  if (!pointer || (pointer->type != kLong && pointer->type != kDirectory) || pointer->count != 1) return std::nullopt;
  // DateTimeOriginal: ASCII "YYYY:MM:DD HH:MM:SS" and its zero, kept beyond the entry.
  constexpr std::uint32_t kDateTimeOriginalTag = 0x9003, kAscii = 2, kDateLength = 10;
  const auto date = findEntry(*tiff, tiff->read32(pointer->valueAt), kDateTimeOriginalTag);
  if (!date || date->type != kAscii || date->count < kDateLength) return std::nullopt;
  const std::size_t textAt = tiff->read32(date->valueAt);
  if (!tiff->has(textAt, kDateLength)) return std::nullopt;
  return parseExifDate(tiff->data + textAt);
}

}  // namespace saverkit::slideshow
