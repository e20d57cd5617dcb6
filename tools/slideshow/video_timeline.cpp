// A video's frame times; see the header.
#include "video_timeline.h"

#include <algorithm>

namespace saverkit::slideshow {
namespace {

std::uint32_t milliseconds(std::int64_t hundredNanoseconds) {
  return static_cast<std::uint32_t>(std::clamp<std::int64_t>(hundredNanoseconds / 10000, 0, 0xFFFFFFFF));
}

}  // namespace

bool VideoTimeline::next(std::uint8_t* bgra, std::int32_t stride, std::uint32_t& dueMilliseconds) {
  while (!ended_) {
    std::int64_t stamp = 0;
    const VideoReader::Read read = reader_.read(bgra, stride, stamp);
    if (read == VideoReader::Read::kFrame) {
      if (framesThisPass_ == 0) first_ = stamp;
      // A stamp that goes back (a damaged file) never puts a frame before the one shown.
      const std::int64_t time = std::max(offset_ + stamp - first_, frames_ == 0 ? 0 : latest_);
      latest_ = time;
      ++frames_;
      ++framesThisPass_;
      dueMilliseconds = milliseconds(time);
      return true;
    }
    // A pass that gave no frame would loop for ever.
    if (read == VideoReader::Read::kFailed || !loops_ || framesThisPass_ == 0 || !reader_.rewind()) {
      ended_ = true;
      break;
    }
    offset_ = latest_ + reader_.frameDuration();
    framesThisPass_ = 0;
  }
  return false;
}

std::uint32_t VideoTimeline::endMilliseconds() const {
  return frames_ == 0 ? 0 : milliseconds(latest_ + reader_.frameDuration());
}

}  // namespace saverkit::slideshow
