// Putting a decoded picture on a monitor's frame in memory: turning it upright as its camera
// asked, and laying it over what the frame holds. Pixels are 32-bit blue-green-red-alpha,
// premultiplied, top-down.
#pragma once

#include <cstdint>
#include <vector>

#include "placement.h"

namespace saverkit::slideshow {

struct Pixels {
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::vector<std::uint8_t> bytes;  // rows of width * 4 bytes
};

// Scales a picture smoothly to any size: each output pixel is a weighted average of the input
// pixels under it (a tent widened by the reduction), so a large photo made small shows no jagged
// edges or moire, and a small one made large is interpolated. Input comes in bands of rows and
// each output row is made as soon as its input rows are in: only a few input rows, narrowed to
// the output's width, are held at a time, whatever the picture's size.
class PictureScaler {
 public:
  PictureScaler(std::int32_t inWidth, std::int32_t inHeight, std::int32_t outWidth, std::int32_t outHeight);
  // The next `count` input rows, `stride` bytes apart.
  void addRows(const std::uint8_t* rows, std::int32_t count, std::int32_t stride);
  // The scaled picture; output rows whose input rows never came stay black.
  Pixels finish();

 private:
  struct Tap {
    std::int32_t first = 0;
    std::vector<std::int32_t> weights;  // 1 << 14 in all
  };
  static std::vector<Tap> taps(std::int32_t in, std::int32_t out);
  void makeRow(std::int32_t y);

  std::int32_t inWidth_, inHeight_, outWidth_, outHeight_;
  std::vector<Tap> columns_, rows_;
  std::size_t window_ = 1;  // input rows held: the most any output row takes
  std::vector<std::uint8_t> narrowed_;  // the last window_ input rows at the output's width
  std::vector<std::int32_t> sums_;
  Pixels out_;
  std::int32_t rowsIn_ = 0, rowsOut_ = 0;
};

// The picture turned upright: mirrored first when asked, then turned clockwise.
Pixels uprightPixels(const Pixels& stored, const Uprighting& fix);

// Lays `picture` over the frame with its top-left corner at (left, top) of the frame, clipped
// to the frame; transparent parts let the frame show through.
void layOver(const Pixels& picture, std::int32_t left, std::int32_t top, std::uint8_t* frame,
             std::int32_t frameWidth, std::int32_t frameHeight, std::int32_t frameStride);

}  // namespace saverkit::slideshow
