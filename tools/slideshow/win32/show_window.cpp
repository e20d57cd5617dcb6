// The show window; see the header.
#include "show_window.h"

#include <memory>

#include "frame.h"
#include "picture_decoder.h"
#include "picture_list.h"
#include "resume_point.h"
#include "saver_texts.h"
#include "show_rules.h"

namespace saverkit::slideshow::win32 {
namespace {

constexpr const char* kWindowClass = "SaverkitSlideshow";
constexpr UINT_PTR kFadeTimer = 1;
constexpr UINT_PTR kNextTimer = 2;
constexpr UINT kFadeStepMilliseconds = 30;

BOOL CALLBACK addMonitor(HMONITOR, HDC, LPRECT bounds, LPARAM parameter) {
  reinterpret_cast<std::vector<RECT>*>(parameter)->push_back(*bounds);
  return TRUE;
}

class Show {
 public:
  Show(const ShowRequest& request, HWND window)
      : request_(request), window_(window),
        cycle_([&request] { return collectPictures(*request.files, request.productFolder); }, request.settings.shuffled,
               request.settings.secondsPerPicture, ::GetTickCount() ^ ::GetCurrentProcessId(), request.resume) {
    RECT client{};
    ::GetClientRect(window, &client);
    width_ = client.right;
    height_ = client.bottom;
    HDC screen = ::GetDC(window);
    previous_ = std::make_unique<Frame>(screen, width_, height_);
    current_ = std::make_unique<Frame>(screen, width_, height_);
    back_ = std::make_unique<Frame>(screen, width_, height_);
    ::ReleaseDC(window, screen);
    findTargets();
  }

  void showNext() {
    std::swap(previous_, current_);
    const ShowStep step = cycle_.step([this](const std::string& path) {
      current_->clear();
      return current_->dc() && decoder_.draw(path, current_->dc(), targets_, request_.settings.scaling);
    });
    // Always a next step: while nothing can be shown, it reads the folder again.
    ::SetTimer(window_, kNextTimer, step.nextInMilliseconds, nullptr);
    const bool messageAgain = !step.picture && messageShown_;
    messageShown_ = !step.picture;
    if (!step.picture) {
      current_->clear();
      drawMessage(noPicturesText(request_.productFolder));
    } else if (!preview()) {
      saveResumePoint(*request_.registry, request_.saverName, cycle_.resumePoint());
    }
    if (messageAgain) {
      ::InvalidateRect(window_, nullptr, FALSE);
      return;
    }
    fadeStart_ = ::GetTickCount();
    fading_ = true;
    ::SetTimer(window_, kFadeTimer, kFadeStepMilliseconds, nullptr);
    ::InvalidateRect(window_, nullptr, FALSE);
  }

  void stepFade() {
    if (crossFadeAlpha(::GetTickCount() - fadeStart_, kCrossFadeMilliseconds) == 255) {
      fading_ = false;
      ::KillTimer(window_, kFadeTimer);
    }
    ::InvalidateRect(window_, nullptr, FALSE);
  }

  void paint(HDC dc) {
    if (!current_->dc() || !previous_->dc() || !back_->dc()) return;
    if (!fading_) {
      ::BitBlt(dc, 0, 0, width_, height_, current_->dc(), 0, 0, SRCCOPY);
      return;
    }
    // The old picture, the new one over it at the fade's opacity, then all at once to the screen.
    const BYTE alpha = crossFadeAlpha(::GetTickCount() - fadeStart_, kCrossFadeMilliseconds);
    ::BitBlt(back_->dc(), 0, 0, width_, height_, previous_->dc(), 0, 0, SRCCOPY);
    const BLENDFUNCTION blend{AC_SRC_OVER, 0, alpha, 0};
    ::GdiAlphaBlend(back_->dc(), 0, 0, width_, height_, current_->dc(), 0, 0, width_, height_, blend);
    ::BitBlt(dc, 0, 0, width_, height_, back_->dc(), 0, 0, SRCCOPY);
  }

  bool endsOnMouse(int x, int y) { return mouse_.endsShow(x, y); }
  bool preview() const { return request_.previewParent != nullptr; }

 private:
  // In full screen each monitor shows the picture whole; a preview is one target.
  void findTargets() {
    std::vector<RECT> monitors;
    if (!preview()) ::EnumDisplayMonitors(nullptr, nullptr, addMonitor, reinterpret_cast<LPARAM>(&monitors));
    if (monitors.empty()) {
      targets_.push_back({0, 0, width_, height_});
      return;
    }
    const int originX = ::GetSystemMetrics(SM_XVIRTUALSCREEN), originY = ::GetSystemMetrics(SM_YVIRTUALSCREEN);
    for (const RECT& bounds : monitors) {
      targets_.push_back({bounds.left - originX, bounds.top - originY, bounds.right - bounds.left,
                          bounds.bottom - bounds.top});
    }
  }

  void drawMessage(const std::string& text) {
    HDC dc = current_->dc();
    if (!dc) return;
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, RGB(200, 200, 200));
    HGDIOBJ font = ::SelectObject(dc, ::GetStockObject(DEFAULT_GUI_FONT));
    RECT box{targets_[0].left, targets_[0].top, targets_[0].left + targets_[0].width, targets_[0].top + targets_[0].height};
    ::InflateRect(&box, -8, -8);
    // Centred as a block: measured first, then placed in the middle.
    RECT measured = box;
    ::DrawTextA(dc, text.c_str(), -1, &measured, DT_CALCRECT | DT_WORDBREAK | DT_CENTER | DT_NOPREFIX);
    const int offset = ((box.bottom - box.top) - (measured.bottom - measured.top)) / 2;
    box.top += offset > 0 ? offset : 0;
    ::DrawTextA(dc, text.c_str(), -1, &box, DT_WORDBREAK | DT_CENTER | DT_NOPREFIX);
    ::SelectObject(dc, font);
  }

  const ShowRequest& request_;
  HWND window_;
  ShowCycle cycle_;
  PictureDecoder decoder_;
  MouseWatch mouse_;
  std::vector<Box> targets_;
  std::unique_ptr<Frame> previous_, current_, back_;
  int width_ = 0, height_ = 0;
  DWORD fadeStart_ = 0;
  bool fading_ = false;
  bool messageShown_ = false;
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
      if (wParam == kNextTimer) show->showNext();
      if (wParam == kFadeTimer) show->stepFade();
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = ::BeginPaint(window, &paint);
      show->paint(dc);
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
  ::SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&show));
  show.showNext();
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
  return 0;
}

}  // namespace saverkit::slideshow::win32
