// Pictures that move: a video's frames, or an animated GIF's. Each monitor's moving picture gets
// its frames made on a thread of its own, a few ahead of their time, while the slide thread makes
// the next slide; the window's thread takes each frame when it is due and only draws it, so input
// still ends the show within one frame.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "frame.h"
#include "platform/win32/windows_api.h"
#include "worker_thread.h"

namespace saverkit::slideshow::win32 {

// Posted to the window when a frame has been made and none was waiting.
constexpr UINT kMotionFrameMessage = WM_APP + 2;

class MotionSource {
 public:
  virtual ~MotionSource() = default;
  // Draws the next frame over `frame` (the monitor's size) and says when it is due, in
  // milliseconds after the first frame; false when there is none: the motion has ended, at the
  // time it then gives.
  virtual bool next(Frame& frame, std::uint32_t& dueMilliseconds) = 0;
  // A video's end ends its slide; an animation plays as long as its picture stands.
  virtual bool endsSlide() const = 0;
  // Called when its first frame goes on the screen: a video's sound starts.
  virtual void begin() {}
};

struct Motion {
  std::size_t target = 0;
  std::int32_t width = 0, height = 0;  // the monitor's
  std::unique_ptr<MotionSource> source;
};

class MotionPlayer {
 public:
  explicit MotionPlayer(HWND window);
  ~MotionPlayer();
  MotionPlayer(const MotionPlayer&) = delete;
  MotionPlayer& operator=(const MotionPlayer&) = delete;

  bool started() const { return worker_.started(); }
  // These play from now on, in place of what played; their first frames are on the screen.
  void play(std::vector<Motion> motions);
  // The frame due by `now` for a monitor (earlier ones it overtook are counted as dropped), if
  // any; `ended` when that monitor's video has ended by then.
  std::unique_ptr<Frame> due(std::size_t target, std::uint32_t now, bool& ended);
  // When the next frame or end is due, on the motion's clock; none while nothing is waiting.
  std::optional<std::uint32_t> nextDue();
  // A frame taken off the screen, to be drawn over again.
  void giveBack(std::unique_ptr<Frame> frame);
  // Milliseconds since play() began, on the clock every due time is measured against.
  std::uint32_t now() const;
  std::uint64_t dropped() const { return dropped_; }
  std::uint64_t shown() const { return shown_; }
  // Asks the thread to end; true when it has (it is never waited for long).
  bool stop();

  struct State;

 private:
  WorkerThread<State> worker_;
  LARGE_INTEGER start_{}, frequency_{};
  std::uint64_t dropped_ = 0, shown_ = 0;
};

}  // namespace saverkit::slideshow::win32
