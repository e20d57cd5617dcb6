// A video on a monitor; see the header.
#include "video_motion.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "caption_painter.h"

namespace saverkit::slideshow::win32 {
namespace {

// Black wherever the video does not cover the frame: a frame may come back from other use.
void clearAround(Frame& frame, const Box& box) {
  const std::int32_t width = frame.width(), height = frame.height();
  const std::int32_t left = std::clamp(box.left, 0, width), right = std::clamp(box.left + box.width, left, width);
  const std::int32_t top = std::clamp(box.top, 0, height), bottom = std::clamp(box.top + box.height, top, height);
  for (std::int32_t y = 0; y < height; ++y) {
    std::uint8_t* row = frame.bits() + std::ptrdiff_t{y} * width * 4;
    if (y < top || y >= bottom) {
      std::memset(row, 0, std::size_t(width) * 4);
      continue;
    }
    std::memset(row, 0, std::size_t(left) * 4);
    std::memset(row + std::ptrdiff_t{right} * 4, 0, std::size_t(width - right) * 4);
  }
}

}  // namespace

VideoMotion::VideoMotion(std::unique_ptr<VideoStream> stream, const Box& box, bool loops, std::wstring caption,
                         UINT dpi, std::unique_ptr<VideoSound> sound)
    : stream_(std::move(stream)), timeline_(*stream_, loops), box_(box), loops_(loops), caption_(std::move(caption)),
      dpi_(dpi), sound_(std::move(sound)) {}

bool VideoMotion::next(Frame& frame, std::uint32_t& dueMilliseconds) {
  if (!frame.bits()) return false;
  const std::int32_t width = stream_->width(), height = stream_->height();
  // At its own size and wholly on the monitor, the video is converted straight into the frame.
  const bool direct = box_.width == width && box_.height == height && box_.left >= 0 && box_.top >= 0 &&
                      box_.left + width <= frame.width() && box_.top + height <= frame.height();
  ::GdiFlush();
  bool made = false;
  if (direct) {
    made = timeline_.next(frame.bits() + (std::ptrdiff_t{box_.top} * frame.width() + box_.left) * 4, frame.width() * 4,
                          dueMilliseconds);
  } else {
    scratch_.resize(std::size_t(width) * height * 4);
    made = timeline_.next(scratch_.data(), width * 4, dueMilliseconds);
    if (made) {
      BITMAPINFO info{};
      info.bmiHeader.biSize = sizeof info.bmiHeader;
      info.bmiHeader.biWidth = width;
      info.bmiHeader.biHeight = -height;
      info.bmiHeader.biPlanes = 1;
      info.bmiHeader.biBitCount = 32;
      info.bmiHeader.biCompression = BI_RGB;
      ::SetStretchBltMode(frame.dc(), HALFTONE);
      ::SetBrushOrgEx(frame.dc(), 0, 0, nullptr);
      ::StretchDIBits(frame.dc(), box_.left, box_.top, box_.width, box_.height, 0, 0, width, height, scratch_.data(),
                      &info, DIB_RGB_COLORS, SRCCOPY);
      ::GdiFlush();
    }
  }
  if (!made) {
    dueMilliseconds = timeline_.endMilliseconds();
    return false;
  }
  clearAround(frame, box_);
  if (!caption_.empty()) {
    drawCaption(frame.dc(), {0, 0, frame.width(), frame.height()}, caption_, dpi_);
    ::GdiFlush();
  }
  return true;
}

}  // namespace saverkit::slideshow::win32
