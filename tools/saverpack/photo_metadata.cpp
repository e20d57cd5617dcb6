// The JPEG segment walk and the EXIF directories; see the header. Every offset comes from the
// file, so each is checked against the bytes there are before it is followed.
#include "photo_metadata.h"

#include <algorithm>
#include <cstring>

namespace saverpack {
namespace {

struct Tiff {
  const std::uint8_t* data = nullptr;
  std::size_t size = 0;
  bool bigEndian = false;

  bool has(std::size_t at, std::size_t length) const { return at <= size && size - at >= length; }
  std::uint32_t read16(std::size_t at) const {
    return bigEndian ? std::uint32_t(data[at] << 8 | data[at + 1]) : std::uint32_t(data[at + 1] << 8 | data[at]);
  }
  std::uint32_t read32(std::size_t at) const {
    return bigEndian ? (read16(at) << 16 | read16(at + 2)) : (read16(at + 2) << 16 | read16(at));
  }
};

constexpr std::uint32_t kOrientation = 0x0112, kExifDirectory = 0x8769, kGpsDirectory = 0x8825,
                        kDateTimeOriginal = 0x9003, kMakerNote = 0x927C, kImageUniqueId = 0xA420,
                        kOwnerName = 0xA430, kBodySerial = 0xA431, kLensSerial = 0xA435,
                        kDngCameraSerial = 0xC62F, kGpsLatitude = 0x0002, kGpsLongitude = 0x0004;
constexpr std::uint32_t kAscii = 2, kShort = 3;

// Calls `visit(tag, type, count, valueAt)` for each entry of the directory at `at`.
template <typename Visit>
void eachEntry(const Tiff& tiff, std::size_t at, Visit visit) {
  if (!tiff.has(at, 2)) return;
  const std::size_t count = tiff.read16(at);
  for (std::size_t entry = at + 2, index = 0; index < count && tiff.has(entry, 12); ++index, entry += 12) {
    visit(tiff.read16(entry), tiff.read16(entry + 2), tiff.read32(entry + 4), entry + 8);
  }
}

void readTiff(const Tiff& tiff, PhotoMetadata& found) {
  std::size_t exifAt = 0, gpsAt = 0;
  eachEntry(tiff, tiff.read32(4), [&](std::uint32_t tag, std::uint32_t type, std::uint32_t count, std::size_t value) {
    if (tag == kGpsDirectory) gpsAt = tiff.read32(value);
    if (tag == kDngCameraSerial) found.identifying = true;
    if (tag == kExifDirectory) exifAt = tiff.read32(value);
    if (tag == kOrientation && type == kShort && count == 1) {
      const std::uint32_t orientation = tiff.read16(value);
      if (orientation >= 1 && orientation <= 8) found.orientation = int(orientation);
    }
  });
  // Cameras with location turned off may still write a GPS directory, holding only its version.
  if (gpsAt != 0) {
    eachEntry(tiff, gpsAt, [&](std::uint32_t tag, std::uint32_t, std::uint32_t, std::size_t) {
      found.gps = found.gps || tag == kGpsLatitude || tag == kGpsLongitude;
    });
  }
  if (exifAt == 0) return;
  eachEntry(tiff, exifAt, [&](std::uint32_t tag, std::uint32_t type, std::uint32_t count, std::size_t value) {
    if (tag == kMakerNote || tag == kImageUniqueId || tag == kOwnerName || tag == kBodySerial || tag == kLensSerial) {
      found.identifying = true;
    }
    if (tag == kDateTimeOriginal && type == kAscii && count >= 11 && count <= 64) {
      const std::size_t textAt = tiff.read32(value);
      if (!tiff.has(textAt, count)) return;
      const char* text = reinterpret_cast<const char*>(tiff.data + textAt);
      found.dateTaken = std::string(text, strnlen(text, std::min<std::size_t>(count, 19)));
    }
  });
}

bool startsWith(const std::uint8_t* body, std::size_t size, const char* prefix, std::size_t length) {
  return size >= length && std::memcmp(body, prefix, length) == 0;
}

}  // namespace

PhotoMetadata readPhotoMetadata(const Bytes& jpeg) {
  PhotoMetadata found;
  const std::uint8_t* data = jpeg.data();
  const std::size_t size = jpeg.size();
  if (size < 4 || data[0] != 0xFF || data[1] != 0xD8) return found;
  // Marker, big-endian length counting itself, body; the picture's data (start of scan) ends
  // the metadata.
  for (std::size_t at = 2; at + 4 <= size && data[at] == 0xFF;) {
    const std::uint8_t marker = data[at + 1];
    if (marker == 0xDA || marker == 0xD9) break;
    const std::size_t length = std::size_t(data[at + 2] << 8 | data[at + 3]);
    if (length < 2 || size - (at + 2) < length) break;
    const std::uint8_t* body = data + at + 4;
    const std::size_t bodySize = length - 2;
    if (marker == 0xE1 && startsWith(body, bodySize, "Exif\0\0", 6) && !found.dateTaken && bodySize >= 14) {
      Tiff tiff{body + 6, bodySize - 6, std::memcmp(body + 6, "MM\0*", 4) == 0};
      if (tiff.bigEndian || std::memcmp(body + 6, "II*\0", 4) == 0) readTiff(tiff, found);
    } else if (marker == 0xE1 && startsWith(body, bodySize, "http://ns.adobe.com/", 20)) {
      found.identifying = true;  // XMP, which editors fill with places, people and cameras
    } else if (marker == 0xED && startsWith(body, bodySize, "Photoshop 3.0", 13)) {
      found.identifying = true;  // IPTC: city, location, creator
    }
    at += 2 + length;
  }
  return found;
}

Bytes withDateTaken(const Bytes& jpeg, const std::string& dateTaken) {
  // Little-endian TIFF: the first directory points at the Exif directory, which holds the date.
  const std::string date = dateTaken.substr(0, 19);
  const std::uint32_t count = std::uint32_t(date.size() + 1);
  Bytes tiff = {'I', 'I', 42, 0, 8, 0, 0, 0};
  constexpr std::uint32_t kDirectorySize = 2 + 12 + 4, kExifAt = 8 + kDirectorySize;
  put16(tiff, 1), put16(tiff, kExifDirectory), put16(tiff, 4), put32(tiff, 1), put32(tiff, kExifAt), put32(tiff, 0);
  put16(tiff, 1), put16(tiff, kDateTimeOriginal), put16(tiff, kAscii), put32(tiff, count),
      put32(tiff, kExifAt + kDirectorySize), put32(tiff, 0);
  tiff.insert(tiff.end(), date.begin(), date.end());
  tiff.push_back(0);

  // JFIF wants its APP0 segment first; EXIF readers look at every segment before the scan.
  std::size_t at = 2;
  if (jpeg.size() >= 6 && jpeg[2] == 0xFF && jpeg[3] == 0xE0) {
    at = std::min(jpeg.size(), 4 + std::size_t(jpeg[4] << 8 | jpeg[5]));
  }
  const std::size_t length = 2 + 6 + tiff.size();
  Bytes out(jpeg.begin(), jpeg.begin() + std::ptrdiff_t(at));
  out.insert(out.end(), {0xFF, 0xE1, std::uint8_t(length >> 8), std::uint8_t(length)});
  out.insert(out.end(), {'E', 'x', 'i', 'f', 0, 0});
  out.insert(out.end(), tiff.begin(), tiff.end());
  out.insert(out.end(), jpeg.begin() + std::ptrdiff_t(at), jpeg.end());
  return out;
}

}  // namespace saverpack
