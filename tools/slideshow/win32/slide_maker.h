// The show's decoding thread. It makes the next slide, one full frame per monitor, while the
// window's thread shows the current one: it takes the next pictures of the show, decodes each at
// the size it is shown, stands it over its backdrop and writes its caption. A video's or an
// animation's first frame is made here, and the rest of it is handed to the motion thread. The
// window's thread only blends frames that are ready, so input ends the show within one frame,
// whatever is being decoded.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "compose.h"
#include "frame.h"
#include "motion.h"
#include "placement.h"
#include "show_rules.h"
#include "show_window.h"
#include "worker_thread.h"

namespace saverkit::slideshow::win32 {

// Posted to the window when a slide is ready.
constexpr UINT kSlideReadyMessage = WM_APP + 1;

// A monitor's part of the window, and its scale (96 = 100 %).
struct Target {
  Box box;
  UINT dpi = 96;
  bool primary = false;
};

struct Slide {
  std::uint32_t layout = 0;  // the layout it was made for
  std::vector<std::unique_ptr<Frame>> frames;  // one per target
  bool message = false;  // the "no pictures" message stands
  std::uint32_t nextInMilliseconds = 0;
  std::optional<ResumePoint> resume;  // where a later show goes on, once this slide is shown
  // What moves on it once it is shown; with a video that ends, the slide lasts until it has.
  std::vector<Motion> motions;
  bool endless = false;  // a video that is the show's only file: it loops, and no slide follows
  bool sounding = false;  // one of its videos is heard
};

// Lays a decoded picture on a monitor's frame as the settings say; false when the frame has no memory.
bool composeSlideFrame(Frame& frame, const Pixels& picture, const Box& box, const std::wstring& caption, UINT dpi,
                       Backdrop backdrop);

class SlideMaker {
 public:
  SlideMaker(const ShowRequest& request, HWND window);
  ~SlideMaker();
  SlideMaker(const SlideMaker&) = delete;
  SlideMaker& operator=(const SlideMaker&) = delete;

  bool started() const { return worker_.started(); }
  // Asks for the next slide for these targets; kSlideReadyMessage says when it is there.
  void requestSlide(const std::vector<Target>& targets, std::uint32_t layout);
  std::unique_ptr<Slide> takeSlide();
  // Asks the thread to end; true when it has, false while it is still inside a decoder (it is
  // never waited for: the process may end under it).
  bool stop();

  struct State;

 private:
  WorkerThread<State> worker_;
};

}  // namespace saverkit::slideshow::win32
