// The decoding thread; see the header.
#include "slide_maker.h"

#include <cstring>
#include <utility>

#include <objbase.h>

#include "backdrop.h"
#include "caption_painter.h"
#include "compose.h"
#include "worker_thread.h"
#include "picture_decoder.h"
#include "picture_list.h"
#include "saver_texts.h"
#include "video_motion.h"

namespace saverkit::slideshow::win32 {
namespace {

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

// The picture over its backdrop (where it leaves part of the monitor bare), then its caption.
bool composeSlideFrame(Frame& frame, const Pixels& picture, const Box& box, const std::wstring& caption, UINT dpi,
                       Backdrop backdrop) {
  if (!frame.bits()) return false;
  ::GdiFlush();
  const std::int32_t width = frame.width(), height = frame.height();
  const bool covered = box.left <= 0 && box.top <= 0 && std::int64_t{box.left} + box.width >= width &&
                       std::int64_t{box.top} + box.height >= height;
  if (!covered && backdrop == Backdrop::kBlurred) {
    paintBlurredBackdrop({picture.bytes.data(), picture.width, picture.height, picture.width * 4},
                         {frame.bits(), width, height, width * 4});
  } else {
    std::memset(frame.bits(), 0, std::size_t(width) * height * 4);  // a reused frame holds its last picture
  }
  layOver(picture, box.left, box.top, frame.bits(), width, height, width * 4);
  if (!caption.empty()) drawCaption(frame.dc(), {0, 0, width, height}, caption, dpi);
  ::GdiFlush();
  return true;
}

namespace {

// An animated GIF's frames after the first, again and again, each standing as long as it says.
class AnimationMotion : public MotionSource {
 public:
  AnimationMotion(std::unique_ptr<PictureDecoder> decoder, const Box& box, std::wstring caption, UINT dpi,
                  Backdrop backdrop, std::uint32_t firstMilliseconds)
      : decoder_(std::move(decoder)), box_(box), caption_(std::move(caption)), dpi_(dpi), backdrop_(backdrop),
        due_(firstMilliseconds) {}

  bool next(Frame& frame, std::uint32_t& dueMilliseconds) override {
    if (next_ >= decoder_->frameCount()) next_ = 0;
    Pixels picture;
    std::uint32_t stands = 0;
    if (!decoder_->decode(next_++, box_.width, box_.height, picture, stands) ||
        !composeSlideFrame(frame, picture, box_, caption_, dpi_, backdrop_)) {
      dueMilliseconds = due_;
      return false;
    }
    dueMilliseconds = due_;
    due_ += stands;
    return true;
  }
  bool endsSlide() const override { return false; }

 private:
  std::unique_ptr<PictureDecoder> decoder_;
  Box box_;
  std::wstring caption_;
  UINT dpi_;
  Backdrop backdrop_;
  std::uint32_t due_;
  std::uint32_t next_ = 1;
};

}  // namespace

struct SlideMaker::State : WorkerShared {
  State(const ShowRequest& showRequest, HWND showWindow)
      : request(showRequest), window(showWindow),
        cycle([this] { return collectPictures(*request.files, request.productFolder); }, showRequest.settings.shuffled,
              showRequest.settings.secondsPerPicture, ::GetTickCount() ^ ::GetCurrentProcessId(), showRequest.resume) {}

  void work();
  std::unique_ptr<Slide> makeSlide(const std::vector<Target>& targets, std::uint32_t layout);
  int place(const std::string& path, const std::vector<Target>& targets, Slide& slide, std::vector<bool>& filled);
  int placeVideo(const std::string& path, const std::vector<Target>& targets, Slide& slide, std::vector<bool>& filled);

  const ShowRequest request;
  const HWND window;
  // Guarded by `lock`: what the window asked for and what is ready for it.
  std::optional<std::pair<std::vector<Target>, std::uint32_t>> slideWanted;
  std::unique_ptr<Slide> slideReady;
  // The thread's own.
  ShowCycle cycle;
  std::unique_ptr<PictureDecoder> decoder;
};

void SlideMaker::State::work() {
  const HRESULT com = ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  decoder = std::make_unique<PictureDecoder>();
  for (;;) {
    ::WaitForSingleObject(wake, INFINITE);
    std::optional<std::pair<std::vector<Target>, std::uint32_t>> job;
    {
      Locked held(lock);
      if (stopping) break;
      job.swap(slideWanted);
    }
    if (!job) continue;
    auto made = makeSlide(job->first, job->second);
    Locked held(lock);
    if (stopping) break;
    slideReady = std::move(made);
    ::PostMessageA(window, kSlideReadyMessage, 0, 0);
  }
  decoder.reset();
  if (SUCCEEDED(com)) ::CoUninitialize();
}

std::unique_ptr<Slide> SlideMaker::State::makeSlide(const std::vector<Target>& targets, std::uint32_t layout) {
  auto slide = std::make_unique<Slide>();
  slide->layout = layout;
  for (const Target& target : targets) slide->frames.push_back(std::make_unique<Frame>(nullptr, target.box.width, target.box.height));
  std::vector<bool> filled(targets.size(), false);
  // Each monitor shows a picture of its own: the next ones of the show, in turn.
  for (std::size_t n = 0; n < targets.size(); ++n) {
    const ShowStep step = cycle.step([&](const std::string& path) { return place(path, targets, *slide, filled); });
    if (n == 0) slide->nextInMilliseconds = step.nextInMilliseconds;
    if (!step.picture) {
      if (n == 0) {
        slide->message = true;
        // A video saver on a Windows without Media Foundation says why it shows nothing.
        std::string text = noPicturesText(request.productFolder);
        if (!mediaFoundationPresent()) text += "\n" + noVideoPlaybackText();
        drawMessage(*slide->frames.front(), text);
      }
      break;
    }
  }
  if (!slide->message && !request.previewParent) slide->resume = cycle.resumePoint();
  return slide;
}

// Decodes the picture for the first free monitor of its own shape (a portrait picture goes to
// a portrait monitor when there is one), else for the first free one.
int SlideMaker::State::place(const std::string& path, const std::vector<Target>& targets, Slide& slide,
                             std::vector<bool>& filled) {
  if (isVideoFile(path)) return placeVideo(path, targets, slide, filled);
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
  auto frame = std::make_unique<Frame>(nullptr, target.box.width, target.box.height);
  if (!composeSlideFrame(*frame, picture, box, caption, target.dpi, request.settings.backdrop)) return false;
  slide.frames[chosen] = std::move(frame);
  filled[chosen] = true;
  // An animation's decoder goes with it to the motion thread; a new one decodes what follows.
  if (decoder->frameCount() > 1) {
    auto animation = std::make_unique<AnimationMotion>(std::move(decoder), box, caption, target.dpi,
                                                       request.settings.backdrop, frameMilliseconds);
    slide.motions.push_back({chosen, target.box.width, target.box.height, std::move(animation)});
    decoder = std::make_unique<PictureDecoder>();
  }
  return true;
}

// A video goes to the first free monitor of its shape, or while videos play on the main monitor
// only, to that one or nowhere this time.
int SlideMaker::State::placeVideo(const std::string& path, const std::vector<Target>& targets, Slide& slide,
                                  std::vector<bool>& filled) {
  std::size_t chosen = targets.size();
  if (request.settings.videosOnPrimaryOnly && targets.size() > 1) {
    for (std::size_t i = 0; i < targets.size(); ++i) {
      if (targets[i].primary) chosen = i;
    }
    if (chosen == targets.size() || filled[chosen]) return ShowCycle::kNotHere;
  }
  auto stream = std::make_unique<VideoStream>();
  if (!stream->open(path)) return false;
  if (chosen == targets.size()) {
    std::vector<Box> monitors;
    for (const Target& target : targets) monitors.push_back(target.box);
    chosen = monitorFor(stream->width(), stream->height(), monitors, filled);
    if (chosen == targets.size()) return false;
  }
  const Target& target = targets[chosen];
  const Box box = placePicture(stream->width(), stream->height(), {0, 0, target.box.width, target.box.height},
                               request.settings.scaling);
  // The only file of the show plays again and again, with no slide between its passes.
  const bool loops = cycle.showable() == 1;
  // One sound at a time: the slide's first video is heard, the others are seen. The settings
  // page's small preview stays silent.
  std::unique_ptr<VideoSound> sound;
  if (request.settings.videoSound && !slide.sounding && !request.previewParent) {
    sound = std::make_unique<VideoSound>();
    if (!sound->open(path, request.settings.videoVolume, loops)) sound.reset();
  }
  slide.sounding = slide.sounding || sound;
  auto video = std::make_unique<VideoMotion>(std::move(stream), box, loops,
                                             captionText(request.settings.caption, path), target.dpi, std::move(sound));
  auto frame = std::make_unique<Frame>(nullptr, target.box.width, target.box.height);
  std::uint32_t due = 0;
  if (!video->next(*frame, due)) return false;  // a damaged file: passed over like a picture
  slide.frames[chosen] = std::move(frame);
  filled[chosen] = true;
  slide.endless = slide.endless || loops;
  slide.motions.push_back({chosen, target.box.width, target.box.height, std::move(video)});
  return true;
}

SlideMaker::SlideMaker(const ShowRequest& request, HWND window) : worker_(new State(request, window)) {}

SlideMaker::~SlideMaker() = default;

bool SlideMaker::stop() { return worker_.stop(); }

void SlideMaker::requestSlide(const std::vector<Target>& targets, std::uint32_t layout) {
  {
    Locked held(worker_.state().lock);
    worker_.state().slideWanted.emplace(targets, layout);
  }
  worker_.wake();
}

std::unique_ptr<Slide> SlideMaker::takeSlide() {
  Locked held(worker_.state().lock);
  return std::move(worker_.state().slideReady);
}

}  // namespace saverkit::slideshow::win32
