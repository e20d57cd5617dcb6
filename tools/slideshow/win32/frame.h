// One monitor's picture in memory: a 32-bit device-independent bitmap selected into a memory
// device context of its own, both owned. Made on the decoding thread, shown by the window's.
#pragma once

#include <cstdint>

#include "platform/win32/unique_handle.h"

namespace saverkit::slideshow::win32 {

struct MemoryDcTraits {
  using Handle = HDC;
  static Handle invalid() { return nullptr; }
  static void close(Handle handle) { ::DeleteDC(handle); }
};
using UniqueMemoryDc = saverkit::win32::UniqueHandle<MemoryDcTraits>;

class Frame {
 public:
  // A black frame of that size; an empty one (dc() null) when memory runs out. `screen` may be
  // null: the frame then suits the screen.
  Frame(HDC screen, int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    bitmap_.reset(::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    bits_ = static_cast<std::uint8_t*>(bits);
    dc_.reset(::CreateCompatibleDC(screen));
    if (!bitmap_ || !dc_) {
      dc_.reset();
      return;
    }
    ::SelectObject(dc_.get(), bitmap_.get());
    width_ = width;
    height_ = height;
    clear();
  }
  void clear() {
    if (dc_) ::PatBlt(dc_.get(), 0, 0, width_, height_, BLACKNESS);
  }
  HDC dc() const { return dc_.get(); }
  // The pixels, top-down, rows width() * 4 bytes apart; GdiFlush() before reading them after GDI drew.
  std::uint8_t* bits() const { return dc_ ? bits_ : nullptr; }
  int width() const { return width_; }
  int height() const { return height_; }

 private:
  // The bitmap outlives the context it is selected into (members go in reverse order).
  saverkit::win32::UniqueGdiObject bitmap_;
  UniqueMemoryDc dc_;
  std::uint8_t* bits_ = nullptr;
  int width_ = 0;
  int height_ = 0;
};

}  // namespace saverkit::slideshow::win32
