// Where a picture goes on a screen: scaled without distortion, centred, either fitted inside the
// target (black bars) or filling it (cropped at the edges).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace saverkit::slideshow {

enum class Scaling { kFit, kFill };

struct Box {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
  friend bool operator==(const Box& a, const Box& b) {
    return a.left == b.left && a.top == b.top && a.width == b.width && a.height == b.height;
  }
};

// The picture's box for the target. Fit: the largest box of the picture's aspect inside the
// target; fill: the smallest one covering it (it reaches beyond the target, which clips it), but
// a portrait picture on a landscape target, or a landscape one on a portrait target, is fitted.
// Sizes are at least 1 pixel; an empty picture or target gives an empty box at the target's
// corner.
Box placePicture(std::int32_t pictureWidth, std::int32_t pictureHeight, const Box& target,
                 Scaling scaling);

// Which monitor a picture goes to, each showing one of its own: the first free monitor of the
// picture's shape (a portrait picture to a portrait monitor, a landscape one to a landscape
// monitor; a square one to any), else the first free one. monitors.size() when none is free.
std::size_t monitorFor(std::int32_t pictureWidth, std::int32_t pictureHeight, const std::vector<Box>& monitors,
                       const std::vector<bool>& taken);

// What makes a photo upright: a camera or phone stores its pixels as the sensor saw them and says
// in the EXIF Orientation tag (1 to 8) how they must be turned. First mirrored left to right when
// `mirrored`, then turned clockwise by `quarterTurns` quarter turns. Any other value is upright.
struct Uprighting {
  int quarterTurns = 0;
  bool mirrored = false;
  // Whether the picture's width and height trade places.
  bool swapsSides() const { return quarterTurns % 2 == 1; }
};
Uprighting uprightingFor(int exifOrientation);

}  // namespace saverkit::slideshow
