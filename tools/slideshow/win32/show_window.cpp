// The show window; see the header.
#include "show_window.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "frame.h"
#include "platform/win32/system_library.h"
#include "resume_point.h"
#include "show_rules.h"
#include "slide_maker.h"

namespace saverkit::slideshow::win32 {
namespace {

constexpr const char* kWindowClass = "SaverkitSlideshow";
constexpr UINT_PTR kFadeTimer = 1;
constexpr UINT_PTR kNextTimer = 2;
constexpr UINT_PTR kMotionTimer = 3;
constexpr UINT kFadeStepMilliseconds = 30;

// The display's state from the power notifications: the console's display, or on Windows 7 and
// earlier the monitors' power.
const GUID kConsoleDisplayState = {0x6fe69556, 0x704a, 0x47a0, {0x8f, 0x24, 0xc2, 0x8d, 0x93, 0x6f, 0xda, 0x47}};
const GUID kMonitorPowerOn = {0x02731015, 0x4510, 0x4526, {0x99, 0xe6, 0xe5, 0xa1, 0x7e, 0xbd, 0x1a, 0xea}};

// The monitor's own scale, where the system has one per monitor (Windows 8.1 and later).
UINT monitorDpi(HMONITOR monitor) {
  using GetDpiForMonitor = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
  static const auto getDpi = reinterpret_cast<GetDpiForMonitor>(reinterpret_cast<void*>(
      ::GetProcAddress(saverkit::win32::systemLibrary("shcore.dll"), "GetDpiForMonitor")));
  UINT x = 0, y = 0;
  if (getDpi && SUCCEEDED(getDpi(monitor, 0, &x, &y)) && y > 0) return y;
  HDC screen = ::GetDC(nullptr);
  const int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
  ::ReleaseDC(nullptr, screen);
  return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}

BOOL CALLBACK addMonitor(HMONITOR monitor, HDC, LPRECT bounds, LPARAM parameter) {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  const bool primary = ::GetMonitorInfoA(monitor, &info) && (info.dwFlags & MONITORINFOF_PRIMARY);
  reinterpret_cast<std::vector<Target>*>(parameter)->push_back(
      {{bounds->left, bounds->top, bounds->right - bounds->left, bounds->bottom - bounds->top}, monitorDpi(monitor),
       primary});
  return TRUE;
}

class Show {
 public:
  Show(const ShowRequest& request, HWND window)
      : request_(request), window_(window), maker_(request, window), motion_(window) {
    if (!preview()) {
      using Register = HPOWERNOTIFY(WINAPI*)(HANDLE, LPCGUID, DWORD);
      const auto registerPower = reinterpret_cast<Register>(reinterpret_cast<void*>(
          ::GetProcAddress(::GetModuleHandleA("user32.dll"), "RegisterPowerSettingNotification")));
      if (registerPower && !registerPower(window, &kConsoleDisplayState, DEVICE_NOTIFY_WINDOW_HANDLE)) {
        registerPower(window, &kMonitorPowerOn, DEVICE_NOTIFY_WINDOW_HANDLE);
      }
    }
    layOut();
  }

  bool started() const { return maker_.started() && motion_.started(); }
  // False when a decoding thread is still busy: the process must end under it.
  bool stop() {
    const bool motionStopped = motion_.stop();
    return maker_.stop() && motionStopped;
  }
  const MotionPlayer& motion() const { return motion_; }

  // A monitor added, removed, turned or rescaled: the show starts again on the new layout, its
  // first picture as soon as it is made.
  void layOut() {
    if (!preview()) {
      ::SetWindowPos(window_, nullptr, ::GetSystemMetrics(SM_XVIRTUALSCREEN), ::GetSystemMetrics(SM_YVIRTUALSCREEN),
                     ::GetSystemMetrics(SM_CXVIRTUALSCREEN), ::GetSystemMetrics(SM_CYVIRTUALSCREEN),
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
    RECT client{};
    ::GetClientRect(window_, &client);
    targets_.clear();
    if (!preview()) ::EnumDisplayMonitors(nullptr, nullptr, addMonitor, reinterpret_cast<LPARAM>(&targets_));
    if (targets_.empty()) {
      targets_.push_back({{0, 0, client.right, client.bottom}, 96, true});
    } else {
      RECT window{};
      ::GetWindowRect(window_, &window);
      for (Target& target : targets_) {
        target.box.left -= window.left;
        target.box.top -= window.top;
      }
    }
    std::int32_t widest = 1, tallest = 1;
    current_.clear();
    previous_.clear();
    for (const Target& target : targets_) {
      widest = std::max(widest, target.box.width);
      tallest = std::max(tallest, target.box.height);
      current_.push_back(std::make_unique<Frame>(nullptr, target.box.width, target.box.height));
    }
    blend_ = std::make_unique<Frame>(nullptr, widest, tallest);
    fading_ = false;
    stopMotion();
    messageShown_ = false;
    mouse_ = MouseWatch{};
    ++layout_;
    due_ = true;
    pending_.reset();
    ::KillTimer(window_, kNextTimer);
    if (!asked_) askForSlide();
    ::InvalidateRect(window_, nullptr, FALSE);
  }

  void slideReady() {
    auto slide = maker_.takeSlide();
    asked_ = false;
    if (!slide) return;
    // Made for a layout that has gone: made again for this one.
    if (slide->layout != layout_) {
      askForSlide();
      return;
    }
    pending_ = std::move(slide);
    if (due_ && !displaysOff_) present();
  }

  // The time a picture stands starts when it is on the screen, whatever its decoding took.
  void timeIsUp() {
    ::KillTimer(window_, kNextTimer);
    due_ = true;
    if (pending_ && !displaysOff_) present();
    else if (!asked_ && !displaysOff_) askForSlide();
  }

  // Puts up each monitor's frame that is due, and waits for the next one; a video's end ends its
  // slide.
  void motionStep() {
    ::KillTimer(window_, kMotionTimer);
    if (displaysOff_) return;
    const std::uint32_t now = motion_.now();
    for (std::size_t i = 0; i < current_.size(); ++i) {
      bool ended = false;
      std::unique_ptr<Frame> frame = motion_.due(i, now, ended);
      if (frame) {
        motion_.giveBack(std::move(current_[i]));
        current_[i] = std::move(frame);
        if (!fading_) invalidateTarget(i);
      }
      if (ended && videosPlaying_ > 0 && --videosPlaying_ == 0) timeIsUp();
    }
    if (const auto next = motion_.nextDue()) {
      ::SetTimer(window_, kMotionTimer, *next > now ? *next - now : USER_TIMER_MINIMUM, nullptr);
    }
  }

  // Nothing is faded or decoded while the displays are off; they come back to a new picture.
  void displayPower(bool on) {
    if (displaysOff_ == !on) return;
    displaysOff_ = !on;
    if (displaysOff_) {
      ::KillTimer(window_, kFadeTimer);
      ::KillTimer(window_, kNextTimer);
      stopMotion();
      fading_ = false;
      return;
    }
    due_ = true;
    if (pending_) present();
    else if (!asked_) askForSlide();
  }

  void stepFade() {
    if (crossFadeAlpha(::GetTickCount() - fadeStart_, kCrossFadeMilliseconds) == 255) {
      fading_ = false;
      ::KillTimer(window_, kFadeTimer);
    }
    ::InvalidateRect(window_, nullptr, FALSE);
  }

  void paint(HDC dc, const RECT& dirty) {
    const BYTE alpha = fading_ ? crossFadeAlpha(::GetTickCount() - fadeStart_, kCrossFadeMilliseconds) : 255;
    // What no monitor covers (the corners of an uneven virtual screen) stays black.
    const int saved = ::SaveDC(dc);
    for (std::size_t i = 0; i < targets_.size(); ++i) {
      const Box& box = targets_[i].box;
      RECT area{box.left, box.top, box.left + box.width, box.top + box.height}, overlap{};
      if (::IntersectRect(&overlap, &area, &dirty)) paintTarget(dc, i, alpha);
      ::ExcludeClipRect(dc, area.left, area.top, area.right, area.bottom);
    }
    ::PatBlt(dc, dirty.left, dirty.top, dirty.right - dirty.left, dirty.bottom - dirty.top, BLACKNESS);
    ::RestoreDC(dc, saved);
  }

  bool endsOnMouse(int x, int y) { return mouse_.endsShow(x, y); }
  bool preview() const { return request_.previewParent != nullptr; }

 private:
  void askForSlide() {
    asked_ = true;
    maker_.requestSlide(targets_, layout_);
  }

  void stopMotion() {
    ::KillTimer(window_, kMotionTimer);
    motion_.play({});
    videosPlaying_ = 0;
  }

  void present() {
    std::unique_ptr<Slide> slide = std::move(pending_);
    const bool messageAgain = slide->message && messageShown_;
    messageShown_ = slide->message;
    // A frame the slide could not make (memory ran out) keeps what the monitor shows.
    for (std::size_t i = 0; i < slide->frames.size() && i < current_.size(); ++i) {
      if (!slide->frames[i]->dc()) slide->frames[i] = std::move(current_[i]);
    }
    previous_ = std::move(current_);
    current_ = std::move(slide->frames);
    due_ = false;
    // A slide with a video lasts until the video has played, and the show goes on from its end;
    // a video alone plays on and on.
    videosPlaying_ = 0;
    for (const Motion& motion : slide->motions) videosPlaying_ += motion.source->endsSlide() ? 1 : 0;
    if (videosPlaying_ == 0 && !slide->endless) ::SetTimer(window_, kNextTimer, slide->nextInMilliseconds, nullptr);
    if (slide->resume) saveResumePoint(*request_.registry, request_.saverName, *slide->resume);
    ::KillTimer(window_, kMotionTimer);
    motion_.play(std::move(slide->motions));
    // The next pictures are decoded now, to be ready when this one's time is up; while the
    // message stands, the folder is read again only when its minute is over. A video alone
    // loops for ever: a second decoder made ready for it would only cost.
    if (!slide->message && !slide->endless) askForSlide();
    // A remote session cuts instead of fading: every step of a fade crosses the network whole.
    fading_ = !messageAgain && !::GetSystemMetrics(SM_REMOTESESSION);
    if (fading_) {
      fadeStart_ = ::GetTickCount();
      ::SetTimer(window_, kFadeTimer, kFadeStepMilliseconds, nullptr);
    }
    ::InvalidateRect(window_, nullptr, FALSE);
  }

  void paintTarget(HDC dc, std::size_t i, BYTE alpha) {
    const Box& box = targets_[i].box;
    Frame* now = i < current_.size() ? current_[i].get() : nullptr;
    Frame* before = i < previous_.size() ? previous_[i].get() : nullptr;
    if (!now || !now->dc()) return;
    if (alpha == 255 || !before || !before->dc() || !blend_->dc()) {
      ::BitBlt(dc, box.left, box.top, box.width, box.height, now->dc(), 0, 0, SRCCOPY);
      return;
    }
    // The old picture, the new one over it at the fade's opacity, then all at once to the screen.
    ::BitBlt(blend_->dc(), 0, 0, box.width, box.height, before->dc(), 0, 0, SRCCOPY);
    const BLENDFUNCTION blend{AC_SRC_OVER, 0, alpha, 0};
    ::GdiAlphaBlend(blend_->dc(), 0, 0, box.width, box.height, now->dc(), 0, 0, box.width, box.height, blend);
    ::BitBlt(dc, box.left, box.top, box.width, box.height, blend_->dc(), 0, 0, SRCCOPY);
  }

  void invalidateTarget(std::size_t i) {
    const Box& box = targets_[i].box;
    const RECT area{box.left, box.top, box.left + box.width, box.top + box.height};
    ::InvalidateRect(window_, &area, FALSE);
  }

  const ShowRequest& request_;
  HWND window_;
  SlideMaker maker_;
  MotionPlayer motion_;  // after the slide maker: it plays what that made
  std::size_t videosPlaying_ = 0;  // the shown slide's videos that have not ended
  MouseWatch mouse_;
  std::vector<Target> targets_;
  std::vector<std::unique_ptr<Frame>> previous_, current_;
  std::unique_ptr<Frame> blend_;
  std::unique_ptr<Slide> pending_;
  std::uint32_t layout_ = 0;
  DWORD fadeStart_ = 0;
  bool fading_ = false;
  bool messageShown_ = false;
  bool due_ = true;      // the next slide goes on the screen as soon as it is made
  bool asked_ = false;   // a slide is being made
  bool displaysOff_ = false;
};

bool isEndingInput(UINT message) {
  switch (message) {
    case WM_KEYDOWN: case WM_SYSKEYDOWN: case WM_LBUTTONDOWN: case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN: case WM_XBUTTONDOWN: case WM_MOUSEWHEEL:
      return true;
    default:
      return false;
  }
}

LRESULT CALLBACK showProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* show = reinterpret_cast<Show*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
  if (!show) return ::DefWindowProcA(window, message, wParam, lParam);
  if (!show->preview()) {
    if (isEndingInput(message) ||
        (message == WM_MOUSEMOVE && show->endsOnMouse(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)))) ||
        (message == WM_ACTIVATEAPP && !wParam)) {
      ::PostMessageA(window, WM_CLOSE, 0, 0);
      return 0;
    }
    if (message == WM_SETCURSOR) {
      ::SetCursor(nullptr);
      return TRUE;
    }
    // No second saver over this one, and no menu of the window.
    if (message == WM_SYSCOMMAND && ((wParam & 0xFFF0) == SC_SCREENSAVE || (wParam & 0xFFF0) == SC_KEYMENU)) return 0;
  }
  switch (message) {
    case WM_TIMER:
      if (wParam == kNextTimer) show->timeIsUp();
      if (wParam == kFadeTimer) show->stepFade();
      if (wParam == kMotionTimer) show->motionStep();
      return 0;
    case kSlideReadyMessage:
      show->slideReady();
      return 0;
    case kMotionFrameMessage:
      show->motionStep();
      return 0;
    case WM_DISPLAYCHANGE:
    case WM_DPICHANGED:
      show->layOut();
      return 0;
    case WM_POWERBROADCAST:
      if (wParam == PBT_POWERSETTINGCHANGE) {
        const auto* setting = reinterpret_cast<const POWERBROADCAST_SETTING*>(lParam);
        if (setting && setting->DataLength >= sizeof(DWORD) &&
            (setting->PowerSetting == kConsoleDisplayState || setting->PowerSetting == kMonitorPowerOn)) {
          DWORD state = 0;
          std::memcpy(&state, setting->Data, sizeof state);
          show->displayPower(state != 0);  // 1 on, 2 dimmed: both still show
        }
      }
      return TRUE;
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = ::BeginPaint(window, &paint);
      show->paint(dc, paint.rcPaint);
      ::EndPaint(window, &paint);
      return 0;
    }
    case WM_DESTROY:
      ::PostQuitMessage(0);
      return 0;
    default:
      return ::DefWindowProcA(window, message, wParam, lParam);
  }
}

HWND createShowWindow(HINSTANCE instance, const ShowRequest& request) {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = showProcedure;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = kWindowClass;
  windowClass.style = CS_HREDRAW | CS_VREDRAW;
  ::RegisterClassA(&windowClass);
  if (request.previewParent) {
    RECT client{};
    ::GetClientRect(request.previewParent, &client);
    return ::CreateWindowExA(0, kWindowClass, request.saverName.c_str(), WS_CHILD | WS_VISIBLE, 0, 0, client.right,
                             client.bottom, request.previewParent, nullptr, instance, nullptr);
  }
  return ::CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kWindowClass, request.saverName.c_str(),
                           WS_POPUP, ::GetSystemMetrics(SM_XVIRTUALSCREEN), ::GetSystemMetrics(SM_YVIRTUALSCREEN),
                           ::GetSystemMetrics(SM_CXVIRTUALSCREEN), ::GetSystemMetrics(SM_CYVIRTUALSCREEN), nullptr,
                           nullptr, instance, nullptr);
}

}  // namespace

int runShow(HINSTANCE instance, const ShowRequest& request) {
  if (request.previewParent && !::IsWindow(request.previewParent)) return 1;
  HWND window = createShowWindow(instance, request);
  if (!window) return 1;
  Show show(request, window);
  if (!show.started()) return 1;
  ::SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&show));
  if (!request.previewParent) {
    ::ShowWindow(window, SW_SHOW);
    ::SetForegroundWindow(window);
    ::ShowCursor(FALSE);
  }
  MSG message;
  while (::GetMessageA(&message, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&message);
    ::DispatchMessageA(&message);
  }
  if (::IsWindow(window)) ::SetWindowLongPtrA(window, GWLP_USERDATA, 0);
  // What a video's playing came to, for whoever listens to the debugger's channel (the benchmark).
  if (show.motion().shown() > 0) {
    const std::string line = "slideshow: video frames shown " + std::to_string(show.motion().shown()) + ", dropped " +
                             std::to_string(show.motion().dropped()) + "\n";
    ::OutputDebugStringA(line.c_str());
  }
  // A decode under way is not waited for: the show is over the moment the input came.
  if (!show.stop()) ::ExitProcess(0);
  return 0;
}

}  // namespace saverkit::slideshow::win32
