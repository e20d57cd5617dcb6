// The EXIF Orientation reader; see the header. Every offset comes from the file, so each is
// checked against the bytes there are before it is followed.
#include "exif.h"

#include <cstring>

namespace saverkit::slideshow {
namespace {

struct TiffReader {
  const std::uint8_t* data;
  std::size_t size;
  bool bigEndian;

  bool has(std::size_t at, std::size_t length) const { return at <= size && size - at >= length; }
  std::uint32_t read16(std::size_t at) const {
    return bigEndian ? (data[at] << 8 | data[at + 1]) : (data[at + 1] << 8 | data[at]);
  }
  std::uint32_t read32(std::size_t at) const {
    return bigEndian ? (read16(at) << 16 | read16(at + 2)) : (read16(at + 2) << 16 | read16(at));
  }
};

// The tag in the first directory (IFD0) of a TIFF block.
int orientationInTiff(const std::uint8_t* data, std::size_t size) {
  if (size < 8) return 1;
  TiffReader tiff{data, size, false};
  if (std::memcmp(data, "MM\0*", 4) == 0) {
    tiff.bigEndian = true;
  } else if (std::memcmp(data, "II*\0", 4) != 0) {
    return 1;
  }
  const std::size_t directory = tiff.read32(4);
  if (!tiff.has(directory, 2)) return 1;
  const std::size_t count = tiff.read16(directory);
  constexpr std::uint32_t kOrientationTag = 0x0112, kShort = 3;
  for (std::size_t entry = directory + 2, index = 0; index < count && tiff.has(entry, 12); ++index, entry += 12) {
    if (tiff.read16(entry) != kOrientationTag) continue;
    if (tiff.read16(entry + 2) != kShort || tiff.read32(entry + 4) != 1) return 1;
    const std::uint32_t value = tiff.read16(entry + 8);
    return value >= 1 && value <= 8 ? static_cast<int>(value) : 1;
  }
  return 1;
}

}  // namespace

int exifOrientation(const std::uint8_t* data, std::size_t size) {
  if (size < 4 || data[0] != 0xFF || data[1] != 0xD8) return 1;
  // The segments after the start marker: a marker, a big-endian length that counts itself, the
  // body. The picture's data (start of scan) ends the search.
  std::size_t at = 2;
  while (at + 4 <= size && data[at] == 0xFF) {
    const std::uint8_t marker = data[at + 1];
    if (marker == 0xDA || marker == 0xD9) return 1;
    const std::size_t length = static_cast<std::size_t>(data[at + 2] << 8 | data[at + 3]);
    if (length < 2 || size - (at + 2) < length) return 1;
    const std::uint8_t* body = data + at + 4;
    const std::size_t bodySize = length - 2;
    if (marker == 0xE1 && bodySize >= 6 && std::memcmp(body, "Exif\0\0", 6) == 0) {
      return orientationInTiff(body + 6, bodySize - 6);
    }
    at += 2 + length;
  }
  return 1;
}

}  // namespace saverkit::slideshow
