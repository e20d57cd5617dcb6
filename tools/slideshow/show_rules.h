// The rules of a running show that do not depend on windows: which picture comes next and when,
// when a mouse move ends it (as the system's own savers do, the first mouse message only says
// where the pointer is, and a move must go a few pixels from there) and how far a cross-fade has
// come.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "picture_list.h"

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

// With nothing to show, the folder is read again this often, so pictures copied in later appear.
inline constexpr std::uint32_t kRescanMilliseconds = 60000;

// Where the last show stopped: in order, the picture it showed last (found again by name, so
// pictures added or removed meanwhile do not shift it); shuffled, its round.
struct ResumePoint {
  std::string lastPicture;
  OrderPoint round;
};

// What the show does now: the picture drawn (none: the "no pictures" message stands) and when
// to take the next step. There is always a next step.
struct ShowStep {
  std::optional<std::string> picture;
  std::uint32_t nextInMilliseconds = 0;
};

// The course of a show. A picture that cannot be drawn is passed over for the rest of the run
// and the next one is tried at once; only when none can be drawn does the message stand, and
// then the folder is read again every minute.
class ShowCycle {
 public:
  using Collect = std::function<std::vector<std::string>()>;
  // True when drawn, false when the file cannot be drawn, or kNotHere when it can but not on what
  // is left of the screen now (a video while videos play on the main monitor only): it is passed
  // over for this step alone.
  using Draw = std::function<int(const std::string& path)>;
  static constexpr int kNotHere = 2;

  ShowCycle(Collect collect, bool shuffled, int secondsPerPicture, std::uint32_t seed, ResumePoint resume = {});
  ShowStep step(const Draw& draw);
  // Where the next show should go on from.
  ResumePoint resumePoint() const;
  // How many files could still be shown: a video that is the only one plays again and again.
  std::size_t showable() const { return pictures_.size() - unreadableCount_; }

 private:
  void readFolder();

  Collect collect_;
  bool shuffled_;
  std::uint32_t interval_;
  std::mt19937 seeds_;
  ResumePoint resume_;
  std::vector<std::string> pictures_;
  std::optional<PictureOrder> order_;
  std::vector<bool> unreadable_;
  std::size_t unreadableCount_ = 0;
  bool folderRead_ = false;
};

}  // namespace saverkit::slideshow
