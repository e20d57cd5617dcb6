// Picture placement; see the header.
#include "placement.h"

#include <algorithm>
#include <limits>

namespace saverkit::slideshow {
namespace {

// value * numerator / denominator, rounded, kept within 1 .. INT32_MAX: a very long thin
// picture filling a screen would otherwise overflow.
std::int32_t scaled(std::int64_t value, std::int64_t numerator, std::int64_t denominator) {
  const std::int64_t result = (value * numerator + denominator / 2) / denominator;
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(result, 1, std::numeric_limits<std::int32_t>::max()));
}

}  // namespace

Box placePicture(std::int32_t pictureWidth, std::int32_t pictureHeight, const Box& target,
                 Scaling scaling) {
  if (pictureWidth <= 0 || pictureHeight <= 0 || target.width <= 0 || target.height <= 0) {
    return {target.left, target.top, 0, 0};
  }
  // Filling a landscape screen with a portrait photo keeps a band across its middle: on real
  // portraits, the heads go. Such a picture, and a landscape one on a portrait screen, is fitted.
  const bool portraitPicture = pictureHeight > pictureWidth, portraitTarget = target.height > target.width;
  const bool landscapePicture = pictureWidth > pictureHeight, landscapeTarget = target.width > target.height;
  if ((portraitPicture && landscapeTarget) || (landscapePicture && portraitTarget)) scaling = Scaling::kFit;
  // Wider than the target (relative to the heights): fit is bound by the width, fill by the height.
  const bool wider = std::int64_t{pictureWidth} * target.height >= std::int64_t{pictureHeight} * target.width;
  const bool byWidth = (scaling == Scaling::kFit) == wider;
  Box box;
  if (byWidth) {
    box.width = target.width;
    box.height = scaled(pictureHeight, target.width, pictureWidth);
  } else {
    box.height = target.height;
    box.width = scaled(pictureWidth, target.height, pictureHeight);
  }
  box.left = static_cast<std::int32_t>(target.left + (std::int64_t{target.width} - box.width) / 2);
  box.top = static_cast<std::int32_t>(target.top + (std::int64_t{target.height} - box.height) / 2);
  return box;
}

std::size_t monitorFor(std::int32_t pictureWidth, std::int32_t pictureHeight, const std::vector<Box>& monitors,
                       const std::vector<bool>& taken) {
  std::size_t first = monitors.size();
  for (std::size_t i = 0; i < monitors.size(); ++i) {
    if (i < taken.size() && taken[i]) continue;
    if (first == monitors.size()) first = i;
    const bool portraitMonitor = monitors[i].height > monitors[i].width;
    if (pictureWidth != pictureHeight && (pictureHeight > pictureWidth) == portraitMonitor) return i;
  }
  return first;
}

Uprighting uprightingFor(int exifOrientation) {
  // Mirroring first, then turning: 2 mirrored, 3 upside down, 4 mirrored upside down, 5 mirrored
  // across the main diagonal, 6 turned a quarter back, 7 across the other diagonal, 8 turned a
  // quarter forward.
  switch (exifOrientation) {
    case 2: return {0, true};
    case 3: return {2, false};
    case 4: return {2, true};
    case 5: return {3, true};
    case 6: return {1, false};
    case 7: return {1, true};
    case 8: return {3, false};
    default: return {0, false};
  }
}

}  // namespace saverkit::slideshow
