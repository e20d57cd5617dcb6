// The author's icon: an .ico file, checked image by image, or a PNG carried as a one-image icon.
// Windows Vista and later read PNG-compressed icon images, and scale the one image to the sizes
// the shell and the title bar ask for; an author who wants hand-drawn small sizes gives an .ico.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "file_io.h"
#include "resource_section.h"

namespace saverpack {

struct IconImage {
  std::uint32_t width = 0;  // 1 to 256
  std::uint32_t height = 0;
  std::uint8_t colourCount = 0;
  std::uint16_t planes = 0;
  std::uint16_t bitCount = 0;
  Bytes data;  // a PNG file, or a bitmap header and its pixels
};

// The images of an .ico file or of a PNG, by the file's contents, not its name. Throws
// ToolError(kInvalid) starting with "icon: " and `shown` when the file is neither, when an image
// is damaged or larger than 256 px, or when the icon exceeds `limit` bytes (the limit named).
std::vector<IconImage> readIcon(const Bytes& file, const std::string& shown, std::size_t limit);

// The icon as the program's resources: one image resource per image, numbered from 1, and the
// group that lists them under `groupId`.
std::vector<Resource> iconResources(const std::vector<IconImage>& images, std::uint16_t groupId,
                                    std::uint16_t language);

// The .ico file of `images`, as readIcon reads it.
Bytes iconFile(const std::vector<IconImage>& images);

}  // namespace saverpack
