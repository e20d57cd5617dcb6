// What a JPEG photo tells about where and with what it was taken, read from its own segments so
// that every build of saverpack can warn about it, with or without a picture library; and the
// small EXIF block a prepared photo keeps, which holds nothing but the date taken (the engine
// shows it as a caption).
#pragma once

#include <optional>
#include <string>

#include "file_io.h"

namespace saverpack {

struct PhotoMetadata {
  bool gps = false;          // a latitude or longitude in the EXIF block's GPS directory
  bool identifying = false;  // maker notes, serial numbers, owner, unique id, XMP or IPTC blocks
  int orientation = 1;       // 1 to 8
  std::optional<std::string> dateTaken;  // DateTimeOriginal as written, "YYYY:MM:DD HH:MM:SS"
};

// Nothing is found in bytes that are not a JPEG; damaged offsets are passed over.
PhotoMetadata readPhotoMetadata(const Bytes& jpeg);

// The JPEG with an EXIF segment holding only DateTimeOriginal put after its start marker (and
// its JFIF segment, if it has one).
// `dateTaken` is at most 19 characters; a JPEG that already has an EXIF segment is the caller's
// mistake (the picture library writes none when told to strip).
Bytes withDateTaken(const Bytes& jpeg, const std::string& dateTaken);

}  // namespace saverpack
