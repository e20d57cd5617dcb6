// The decoding thread; see the header.
#include "slide_maker.h"

#include <utility>

#include "backdrop.h"
#include "caption_painter.h"
#include "compose.h"
#include "picture_decoder.h"
#include "picture_list.h"
#include "saver_texts.h"

namespace saverkit::slideshow::win32 {
namespace {

// Holds a critical section for a scope.
class Locked {
 public:
  explicit Locked(CRITICAL_SECTION& section) : section_(section) { ::EnterCriticalSection(&section_); }
  ~Locked() { ::LeaveCriticalSection(&section_); }
  Locked(const Locked&) = delete;
  Locked& operator=(const Locked&) = delete;

 private:
  CRITICAL_SECTION& section_;
};

void drawMessage(Frame& frame, const std::string& text) {
  HDC dc = frame.dc();
  if (!dc) return;
  ::SetBkMode(dc, TRANSPARENT);
  ::SetTextColor(dc, RGB(200, 200, 200));
  HGDIOBJ font = ::SelectObject(dc, ::GetStockObject(DEFAULT_GUI_FONT));
  RECT box{0, 0, frame.width(), frame.height()};
  ::InflateRect(&box, -8, -8);
  // Centred as a block: measured first, then placed in the middle.
  RECT measured = box;
  ::DrawTextA(dc, text.c_str(), -1, &measured, DT_CALCRECT | DT_WORDBREAK | DT_CENTER | DT_NOPREFIX);
  const int offset = ((box.bottom - box.top) - (measured.bottom - measured.top)) / 2;
  box.top += offset > 0 ? offset : 0;
  ::DrawTextA(dc, text.c_str(), -1, &box, DT_WORDBREAK | DT_CENTER | DT_NOPREFIX);
  ::SelectObject(dc, font);
}

}  // namespace

struct SlideMaker::State {
  explicit State(const ShowRequest& showRequest)
      : request(showRequest),
        cycle([this] { return collectPictures(*request.files, request.productFolder); }, showRequest.settings.shuffled,
              showRequest.settings.secondsPerPicture, ::GetTickCount() ^ ::GetCurrentProcessId(), showRequest.resume) {
    ::InitializeCriticalSection(&lock);
  }
  ~State() { ::DeleteCriticalSection(&lock); }

  void work();
  std::unique_ptr<Slide> makeSlide(const std::vector<Target>& targets, std::uint32_t layout);
  bool place(const std::string& path, const std::vector<Target>& targets, Slide& slide, std::vector<bool>& filled);
  std::unique_ptr<Frame> compose(const Pixels& picture, const Target& target, const Box& box,
                                 const std::wstring& caption);
  std::unique_ptr<AnimationFrame> nextFrame();

  const ShowRequest request;
  HWND window = nullptr;
  CRITICAL_SECTION lock;
  HANDLE wake = ::CreateEventA(nullptr, FALSE, FALSE, nullptr);
  // Guarded by `lock`: what the window asked for and what is ready for it.
  std::optional<std::pair<std::vector<Target>, std::uint32_t>> slideWanted;
  bool frameWanted = false;
  bool stopping = false;
  std::unique_ptr<Slide> slideReady;
  std::unique_ptr<AnimationFrame> frameReady;
  // The thread's own.
  ShowCycle cycle;
  std::unique_ptr<PictureDecoder> decoder, animation;
  struct Playing {
    std::uint32_t layout = 0;
    std::size_t target = 0;
    Target place;
    Box box;
    std::wstring caption;
    std::uint32_t next = 1;
  } playing;
};

void SlideMaker::State::work() {
  decoder = std::make_unique<PictureDecoder>();
  animation = std::make_unique<PictureDecoder>();
  for (;;) {
    ::WaitForSingleObject(wake, INFINITE);
    std::optional<std::pair<std::vector<Target>, std::uint32_t>> job;
    bool frame = false;
    {
      Locked held(lock);
      if (stopping) return;
      job.swap(slideWanted);
      frame = std::exchange(frameWanted, false);
    }
    // An animation's frame first: it is due sooner than the next slide.
    if (frame) {
      auto made = nextFrame();
      Locked held(lock);
      if (stopping) return;
      frameReady = std::move(made);
      ::PostMessageA(window, kFrameReadyMessage, 0, 0);
    }
    if (job) {
      auto made = makeSlide(job->first, job->second);
      Locked held(lock);
      if (stopping) return;
      slideReady = std::move(made);
      ::PostMessageA(window, kSlideReadyMessage, 0, 0);
    }
  }
}

std::unique_ptr<Slide> SlideMaker::State::makeSlide(const std::vector<Target>& targets, std::uint32_t layout) {
  auto slide = std::make_unique<Slide>();
  slide->layout = layout;
  for (const Target& target : targets) slide->frames.push_back(std::make_unique<Frame>(nullptr, target.box.width, target.box.height));
  animation->close();
  std::vector<bool> filled(targets.size(), false);
  // Each monitor shows a picture of its own: the next ones of the show, in turn.
  for (std::size_t n = 0; n < targets.size(); ++n) {
    const ShowStep step = cycle.step([&](const std::string& path) { return place(path, targets, *slide, filled); });
    if (n == 0) slide->nextInMilliseconds = step.nextInMilliseconds;
    if (!step.picture) {
      if (n == 0) {
        slide->message = true;
        drawMessage(*slide->frames.front(), noPicturesText(request.productFolder));
      }
      break;
    }
  }
  if (!slide->message && !request.previewParent) slide->resume = cycle.resumePoint();
  return slide;
}

// Decodes the picture for the first free monitor of its own shape (a portrait picture goes to
// a portrait monitor when there is one), else for the first free one.
bool SlideMaker::State::place(const std::string& path, const std::vector<Target>& targets, Slide& slide,
                              std::vector<bool>& filled) {
  std::int32_t width = 0, height = 0;
  if (!decoder->open(path, width, height)) return false;
  std::vector<Box> monitors;
  for (const Target& target : targets) monitors.push_back(target.box);
  const std::size_t chosen = monitorFor(width, height, monitors, filled);
  if (chosen == targets.size()) return false;
  const Target& target = targets[chosen];
  const Box box = placePicture(width, height, {0, 0, target.box.width, target.box.height}, request.settings.scaling);
  Pixels picture;
  std::uint32_t frameMilliseconds = 0;
  if (!decoder->decode(0, box.width, box.height, picture, frameMilliseconds)) return false;
  const std::wstring caption = captionText(request.settings.caption, path);
  auto frame = compose(picture, target, box, caption);
  if (!frame) return false;
  slide.frames[chosen] = std::move(frame);
  filled[chosen] = true;
  // The first animation of the slide plays; its decoder stays open for the frames to come.
  if (decoder->frameCount() > 1 && slide.frameMilliseconds == 0) {
    std::swap(decoder, animation);
    slide.animatedTarget = chosen;
    slide.frameMilliseconds = frameMilliseconds;
    playing = {slide.layout, chosen, target, box, caption, 1};
  }
  return true;
}

// The picture over its backdrop (where it leaves part of the monitor bare), then its caption.
std::unique_ptr<Frame> SlideMaker::State::compose(const Pixels& picture, const Target& target, const Box& box,
                                                  const std::wstring& caption) {
  auto frame = std::make_unique<Frame>(nullptr, target.box.width, target.box.height);
  if (!frame->bits()) return nullptr;
  ::GdiFlush();
  const std::int32_t width = frame->width(), height = frame->height();
  const bool covered = box.left <= 0 && box.top <= 0 && std::int64_t{box.left} + box.width >= width &&
                       std::int64_t{box.top} + box.height >= height;
  if (!covered && request.settings.backdrop == Backdrop::kBlurred) {
    paintBlurredBackdrop({picture.bytes.data(), picture.width, picture.height, picture.width * 4},
                         {frame->bits(), width, height, width * 4});
  }
  layOver(picture, box.left, box.top, frame->bits(), width, height, width * 4);
  if (!caption.empty()) drawCaption(frame->dc(), {0, 0, width, height}, caption, target.dpi);
  return frame;
}

std::unique_ptr<AnimationFrame> SlideMaker::State::nextFrame() {
  if (animation->frameCount() < 2) return nullptr;
  Pixels picture;
  auto made = std::make_unique<AnimationFrame>();
  made->layout = playing.layout;
  made->target = playing.target;
  if (playing.next >= animation->frameCount()) playing.next = 0;
  if (!animation->decode(playing.next++, playing.box.width, playing.box.height, picture, made->frameMilliseconds)) {
    return nullptr;
  }
  made->frame = compose(picture, playing.place, playing.box, playing.caption);
  return made->frame ? std::move(made) : nullptr;
}

SlideMaker::SlideMaker(const ShowRequest& request, HWND window) : state_(new State(request)) {
  state_->window = window;
  if (state_->wake) thread_ = ::CreateThread(nullptr, 0, run, state_, 0, nullptr);
}

SlideMaker::~SlideMaker() {
  if (!stop()) return;  // left to the process's end: the thread still uses it
  if (thread_) ::CloseHandle(thread_);
  if (state_->wake) ::CloseHandle(state_->wake);
  delete state_;
}

DWORD WINAPI SlideMaker::run(void* parameter) {
  static_cast<State*>(parameter)->work();
  return 0;
}

void SlideMaker::requestSlide(const std::vector<Target>& targets, std::uint32_t layout) {
  {
    Locked held(state_->lock);
    state_->slideWanted.emplace(targets, layout);
  }
  ::SetEvent(state_->wake);
}

void SlideMaker::requestFrame() {
  {
    Locked held(state_->lock);
    state_->frameWanted = true;
  }
  ::SetEvent(state_->wake);
}

std::unique_ptr<Slide> SlideMaker::takeSlide() {
  Locked held(state_->lock);
  return std::move(state_->slideReady);
}

std::unique_ptr<AnimationFrame> SlideMaker::takeFrame() {
  Locked held(state_->lock);
  return std::move(state_->frameReady);
}

bool SlideMaker::stop() {
  if (!thread_) return true;
  {
    Locked held(state_->lock);
    state_->stopping = true;
  }
  ::SetEvent(state_->wake);
  // An idle thread ends at once; one inside a decoder is not waited for.
  return ::WaitForSingleObject(thread_, 50) == WAIT_OBJECT_0;
}

}  // namespace saverkit::slideshow::win32
