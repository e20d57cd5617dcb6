// The show's decoding thread. It makes the next slide, one full frame per monitor, while the
// window's thread shows the current one: it takes the next pictures of the show, decodes each at
// the size it is shown, stands it over its backdrop and writes its caption. The window's thread
// only blends frames that are ready, so input ends the show within one frame, whatever is being
// decoded.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "frame.h"
#include "placement.h"
#include "show_rules.h"
#include "show_window.h"

namespace saverkit::slideshow::win32 {

// Posted to the window when a slide or an animation's frame is ready.
constexpr UINT kSlideReadyMessage = WM_APP + 1;
constexpr UINT kFrameReadyMessage = WM_APP + 2;

// A monitor's part of the window, and its scale (96 = 100 %).
struct Target {
  Box box;
  UINT dpi = 96;
};

struct Slide {
  std::uint32_t layout = 0;  // the layout it was made for
  std::vector<std::unique_ptr<Frame>> frames;  // one per target
  bool message = false;  // the "no pictures" message stands
  std::uint32_t nextInMilliseconds = 0;
  std::optional<ResumePoint> resume;  // where a later show goes on, once this slide is shown
  // The target where an animation plays, and how long its first frame stands (0: none).
  std::size_t animatedTarget = 0;
  std::uint32_t frameMilliseconds = 0;
};

// An animation's next frame, for the target that plays it.
struct AnimationFrame {
  std::uint32_t layout = 0;
  std::size_t target = 0;
  std::unique_ptr<Frame> frame;
  std::uint32_t frameMilliseconds = 0;
};

class SlideMaker {
 public:
  SlideMaker(const ShowRequest& request, HWND window);
  ~SlideMaker();
  SlideMaker(const SlideMaker&) = delete;
  SlideMaker& operator=(const SlideMaker&) = delete;

  bool started() const { return thread_ != nullptr; }
  // Asks for the next slide for these targets; kSlideReadyMessage says when it is there.
  void requestSlide(const std::vector<Target>& targets, std::uint32_t layout);
  // Asks for the next frame of the last slide's animation; kFrameReadyMessage says when.
  void requestFrame();
  std::unique_ptr<Slide> takeSlide();
  std::unique_ptr<AnimationFrame> takeFrame();
  // Asks the thread to end; true when it has, false while it is still inside a decoder (it is
  // never waited for: the process may end under it).
  bool stop();

  struct State;

 private:
  static DWORD WINAPI run(void* parameter);

  State* state_;
  HANDLE thread_ = nullptr;
};

}  // namespace saverkit::slideshow::win32
