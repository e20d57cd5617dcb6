// The rules of a running show that do not depend on windows: when a mouse move ends it (as the
// system's own savers do, the first mouse message only says where the pointer is, and a move
// must go a few pixels from there) and how far a cross-fade has come.
#pragma once

#include <cstdint>
#include <optional>

namespace saverkit::slideshow {

// A move of more than this many pixels, in either direction, ends the show.
inline constexpr std::int32_t kMouseMoveThreshold = 4;
inline constexpr std::uint32_t kCrossFadeMilliseconds = 700;

class MouseWatch {
 public:
  // True when the pointer at (x, y) has gone far enough from where it was first seen.
  bool endsShow(std::int32_t x, std::int32_t y);

 private:
  std::optional<std::int32_t> firstX_, firstY_;
};

// The new picture's opacity, 0 to 255, `elapsed` milliseconds into a cross-fade lasting
// `duration`; 255 once it is over (at once for a duration of 0).
std::uint8_t crossFadeAlpha(std::uint64_t elapsed, std::uint32_t duration);

}  // namespace saverkit::slideshow
