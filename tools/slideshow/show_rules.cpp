// Show rules; see the header.
#include "show_rules.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

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

ShowCycle::ShowCycle(Collect collect, bool shuffled, int secondsPerPicture, std::uint32_t seed, ResumePoint resume)
    : collect_(std::move(collect)), shuffled_(shuffled),
      interval_(static_cast<std::uint32_t>(std::max(secondsPerPicture, 1)) * 1000u), seeds_(seed),
      resume_(std::move(resume)) {}

void ShowCycle::readFolder() {
  pictures_ = collect_();
  unreadable_.assign(pictures_.size(), false);
  unreadableCount_ = 0;
  OrderPoint start = resume_.round;
  if (!shuffled_) {
    // The first picture after the one last shown; after the last picture, the first again.
    const auto after = std::upper_bound(pictures_.begin(), pictures_.end(), resume_.lastPicture,
                                        [](const std::string& last, const std::string& picture) {
                                          return naturallyBefore(last, picture);
                                        });
    start = {resume_.lastPicture.empty() ? 0 : static_cast<std::size_t>(after - pictures_.begin()), 0, 0};
  }
  order_.emplace(pictures_.size(), shuffled_, seeds_(), start);
  folderRead_ = true;
}

ShowStep ShowCycle::step(const Draw& draw) {
  // The first step reads the folder; so does every step while nothing could be shown.
  if (!folderRead_ || unreadableCount_ == pictures_.size()) readFolder();
  // Every try either shows a picture or rules one out, and every round holds each picture, so
  // this ends.
  std::size_t notHere = 0;
  while (unreadableCount_ + notHere < pictures_.size()) {
    const std::size_t index = order_->next();
    if (unreadable_[index]) continue;
    const int drawn = draw(pictures_[index]);
    if (drawn == kNotHere) {
      ++notHere;
      continue;
    }
    if (drawn) {
      resume_ = {pictures_[index], order_->point()};
      return {pictures_[index], interval_};
    }
    unreadable_[index] = true;
    ++unreadableCount_;
  }
  return {std::nullopt, kRescanMilliseconds};
}

ResumePoint ShowCycle::resumePoint() const { return resume_; }

}  // namespace saverkit::slideshow
