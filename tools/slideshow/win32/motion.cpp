// The motion thread; see the header.
#include "motion.h"

#include <utility>

#include <objbase.h>


namespace saverkit::slideshow::win32 {
namespace {

// Frames made ahead per monitor: enough to ride over a seek back to a video's start or a slow
// frame, few enough that a 4K monitor's queue stays near 100 MB.
constexpr std::size_t kFramesAhead = 3;

struct Queued {
  std::unique_ptr<Frame> frame;  // null: the motion ends here
  std::uint32_t due = 0;
};

struct Lane {
  std::size_t target = 0;
  bool endsSlide = false;
  bool finished = false;  // its end is queued: nothing more to make
  std::vector<Queued> queue;  // a few frames: taking from its front costs nothing
};

}  // namespace

struct MotionPlayer::State : WorkerShared {
  explicit State(HWND showWindow) : window(showWindow) {}
  void work();
  std::unique_ptr<Frame> spareFrame(std::int32_t width, std::int32_t height);

  const HWND window;
  // Guarded by `lock`.
  std::optional<std::vector<Motion>> incoming;
  std::uint32_t generation = 0;
  std::vector<Lane> lanes;
  std::vector<std::unique_ptr<Frame>> spares;
  bool posted = false;
  // The thread's own: what lanes[i] plays.
  std::vector<Motion> playing;
};

std::unique_ptr<Frame> MotionPlayer::State::spareFrame(std::int32_t width, std::int32_t height) {
  {
    Locked held(lock);
    while (!spares.empty()) {
      std::unique_ptr<Frame> frame = std::move(spares.back());
      spares.pop_back();
      if (frame && frame->width() == width && frame->height() == height) return frame;
    }
  }
  auto frame = std::make_unique<Frame>(nullptr, width, height);
  return frame->bits() ? std::move(frame) : nullptr;
}

void MotionPlayer::State::work() {
  const HRESULT com = ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  for (;;) {
    std::optional<std::vector<Motion>> fresh;
    std::size_t chosen = 0;
    std::uint32_t made = 0;
    bool found = false;
    {
      Locked held(lock);
      if (stopping) break;
      fresh.swap(incoming);
    }
    // What played before is let go here, on the thread that used it.
    if (fresh) {
      playing = std::move(*fresh);
      for (Motion& motion : playing) motion.source->begin();
    }
    {
      Locked held(lock);
      made = generation;
      // The monitor whose queue is shortest is served first.
      for (std::size_t i = 0; i < lanes.size() && i < playing.size(); ++i) {
        if (lanes[i].finished || lanes[i].queue.size() >= kFramesAhead) continue;
        if (!found || lanes[i].queue.size() < lanes[chosen].queue.size()) chosen = i;
        found = true;
      }
    }
    if (!found) {
      ::WaitForSingleObject(wake, INFINITE);
      continue;
    }
    Motion& motion = playing[chosen];
    std::unique_ptr<Frame> frame = spareFrame(motion.width, motion.height);
    std::uint32_t due = 0;
    const bool more = frame && motion.source->next(*frame, due);
    Locked held(lock);
    if (stopping) break;
    if (made != generation || incoming) {
      if (frame) spares.push_back(std::move(frame));
      continue;
    }
    Lane& lane = lanes[chosen];
    if (!more) {
      if (frame) spares.push_back(std::move(frame));
      lane.finished = true;
    }
    lane.queue.push_back({more ? std::move(frame) : nullptr, due});
    if (!posted) {
      posted = ::PostMessageA(window, kMotionFrameMessage, 0, 0) != FALSE;
    }
  }
  if (SUCCEEDED(com)) ::CoUninitialize();
}

MotionPlayer::MotionPlayer(HWND window) : worker_(new State(window)) {
  ::QueryPerformanceFrequency(&frequency_);
  ::QueryPerformanceCounter(&start_);
}

MotionPlayer::~MotionPlayer() = default;

bool MotionPlayer::stop() { return worker_.stop(); }

void MotionPlayer::play(std::vector<Motion> motions) {
  State& shared = worker_.state();
  {
    Locked held(shared.lock);
    ++shared.generation;
    shared.lanes.clear();
    for (const Motion& motion : motions) shared.lanes.push_back({motion.target, motion.source->endsSlide(), false, {}});
    shared.incoming = std::move(motions);
  }
  ::QueryPerformanceCounter(&start_);
  worker_.wake();
}

std::unique_ptr<Frame> MotionPlayer::due(std::size_t target, std::uint32_t now, bool& ended) {
  State& shared = worker_.state();
  std::unique_ptr<Frame> latest;
  bool taken = false;
  {
    Locked held(shared.lock);
    shared.posted = false;
    for (Lane& lane : shared.lanes) {
      if (lane.target != target) continue;
      while (!lane.queue.empty() && lane.queue.front().due <= now) {
        Queued next = std::move(lane.queue.front());
        lane.queue.erase(lane.queue.begin());
        taken = true;
        if (!next.frame) {
          ended = lane.endsSlide;
          break;
        }
        if (latest) {
          ++dropped_;
          shared.spares.push_back(std::move(latest));
        }
        latest = std::move(next.frame);
      }
    }
  }
  if (latest) ++shown_;
  if (taken) worker_.wake();
  return latest;
}

std::optional<std::uint32_t> MotionPlayer::nextDue() {
  State& shared = worker_.state();
  Locked held(shared.lock);
  shared.posted = false;
  std::optional<std::uint32_t> soonest;
  for (const Lane& lane : shared.lanes) {
    if (!lane.queue.empty() && (!soonest || lane.queue.front().due < *soonest)) soonest = lane.queue.front().due;
  }
  return soonest;
}

void MotionPlayer::giveBack(std::unique_ptr<Frame> frame) {
  if (!frame) return;
  State& shared = worker_.state();
  Locked held(shared.lock);
  if (shared.spares.size() < 2 * kFramesAhead) shared.spares.push_back(std::move(frame));
}

std::uint32_t MotionPlayer::now() const {
  LARGE_INTEGER counter;
  ::QueryPerformanceCounter(&counter);
  return static_cast<std::uint32_t>((counter.QuadPart - start_.QuadPart) * 1000 / frequency_.QuadPart);
}

}  // namespace saverkit::slideshow::win32
