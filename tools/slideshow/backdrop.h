// What stands behind a picture shown whole: the same picture, scaled to cover the screen, blurred
// and darkened, so that the bars beside it take its colours instead of being black. It runs once
// per monitor per picture on the show's worker, so it never touches the target's pixels more than
// once and never blurs at full size: the picture is averaged down to a small grid, the grid is
// blurred, and the grid is scaled up smoothly into the target.
#pragma once

#include <cstdint>

namespace saverkit::slideshow {

// 32-bit pixels, blue-green-red-unused, top-down rows `stride` bytes apart.
struct PixelView {
  std::uint8_t* pixels = nullptr;
  std::int32_t width = 0, height = 0, stride = 0;
};
struct ConstPixelView {
  const std::uint8_t* pixels = nullptr;
  std::int32_t width = 0, height = 0, stride = 0;
};

// The backdrop's brightness against the picture's, in 256ths: dark enough that the picture in
// front stands out, light enough that its colours still show.
inline constexpr int kBackdropBrightness = 115;
// Target pixels per grid cell along each side.
inline constexpr int kBackdropCellSize = 24;

// Fills all of `target` with `picture` scaled to cover it (centred, cut at the edges), heavily
// blurred and darkened. An empty picture or target leaves the target as it is.
void paintBlurredBackdrop(ConstPixelView picture, PixelView target);

}  // namespace saverkit::slideshow
