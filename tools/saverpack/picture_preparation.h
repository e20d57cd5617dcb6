// Photos prepared for the screen: a camera's 24-megapixel original is several times larger
// than any screen shows, often stands on its side with only a tag to say so, and carries the
// place it was taken and the camera's serial number. Preparing scales it down, turns its
// pixels upright and keeps nothing of its metadata but the date taken. The work needs a
// picture library, which only some builds of saverpack link.
#pragma once

#include <optional>
#include <string>

#include "file_io.h"

namespace saverpack {

// The manifest's "pictures" section.
struct PictureRules {
  int longestEdge = 3840;
  int quality = 90;  // for JPEG re-encoding
};

inline constexpr int kMinLongestEdge = 64;
inline constexpr int kMaxLongestEdge = 16384;

// Whether this build can prepare pictures at all, and what a build without says.
bool picturePreparationAvailable();
inline constexpr const char* kPicturesNeedLibrary =
    "this saverpack was built without a picture library (the Windows build has none): build on Linux "
    "with the Linux saverpack to prepare pictures, or leave the section out";

// JPEG and PNG files, by their content.
enum class PictureFormat { kNone, kJpeg, kPng };
PictureFormat pictureFormatOf(const Bytes& contents);

// The prepared picture, or nothing when it is already small, upright and clean and goes as it
// is. Throws ToolError(kInvalid) naming `shown` when the picture library cannot read it, and
// when this build has no picture library.
std::optional<Bytes> preparePicture(const Bytes& contents, PictureFormat format, const PictureRules& rules,
                                    const std::string& shown);

}  // namespace saverpack
