// A video playing on one monitor: its frames decoded, turned into pixels, fitted or filling the
// monitor on black, with the show's caption, each with the time it is due.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "motion.h"
#include "placement.h"
#include "video_sound.h"
#include "video_stream.h"
#include "video_timeline.h"

namespace saverkit::slideshow::win32 {

class VideoMotion : public MotionSource {
 public:
  // `box` is where the video stands on the monitor; `loops` when it is the show's only file.
  // `sound`, when given, plays from the moment the first frame is shown.
  VideoMotion(std::unique_ptr<VideoStream> stream, const Box& box, bool loops, std::wstring caption, UINT dpi,
              std::unique_ptr<VideoSound> sound);
  bool next(Frame& frame, std::uint32_t& dueMilliseconds) override;
  bool endsSlide() const override { return !loops_; }
  void begin() override {
    if (sound_) sound_->start();
  }

 private:
  std::unique_ptr<VideoStream> stream_;
  VideoTimeline timeline_;
  Box box_;
  bool loops_;
  std::wstring caption_;
  UINT dpi_;
  std::vector<std::uint8_t> scratch_;  // a frame at the video's own size, when it is scaled
  std::unique_ptr<VideoSound> sound_;
};

}  // namespace saverkit::slideshow::win32
