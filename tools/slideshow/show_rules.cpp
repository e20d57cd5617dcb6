// Show rules; see the header.
#include "show_rules.h"

#include <cstdlib>

namespace saverkit::slideshow {

bool MouseWatch::endsShow(std::int32_t x, std::int32_t y) {
  if (!firstX_) {
    firstX_ = x;
    firstY_ = y;
    return false;
  }
  const std::int64_t dx = std::llabs(std::int64_t{x} - *firstX_);
  const std::int64_t dy = std::llabs(std::int64_t{y} - *firstY_);
  return dx > kMouseMoveThreshold || dy > kMouseMoveThreshold;
}

std::uint8_t crossFadeAlpha(std::uint64_t elapsed, std::uint32_t duration) {
  if (elapsed >= duration) return 255;
  return static_cast<std::uint8_t>(elapsed * 255 / duration);
}

}  // namespace saverkit::slideshow
