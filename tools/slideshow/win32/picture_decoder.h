// Decoding pictures at the size they are shown, off the window's thread. The Windows Imaging
// Component decodes every format the machine has a codec for (BMP, JPEG, PNG, GIF, TIFF and ICO
// everywhere; HEIC, WebP or AVIF where installed), and a JPEG decoder scales by 1/2, 1/4 or 1/8
// as it decodes, so a 48-megapixel photo never lies whole in memory. Where WIC is missing, the
// system's GDI+ decodes BMP, JPEG, PNG and GIF. Both are loaded by their full path in the system
// folder, so no copy planted beside the engine stands in for them.
#pragma once

#include <cstdint>
#include <string>

#include "compose.h"
#include "platform/win32/windows_api.h"

namespace saverkit::slideshow::win32 {

// Made and used on threads that have joined COM's multithreaded apartment: an animation's decoder
// is opened on the slide thread and plays on the motion thread.
class PictureDecoder {
 public:
  PictureDecoder();
  ~PictureDecoder();
  PictureDecoder(const PictureDecoder&) = delete;
  PictureDecoder& operator=(const PictureDecoder&) = delete;

  // Opens a picture and gives its size as it stands upright; false when it cannot be read.
  bool open(const std::string& path, std::int32_t& width, std::int32_t& height);
  // More than one for an animation.
  std::uint32_t frameCount() const { return frames_; }
  // Frame `index` of the opened picture, upright, at width x height, premultiplied. An
  // animation's frames come in order from 0; `showMilliseconds` says how long each stands.
  bool decode(std::uint32_t index, std::int32_t width, std::int32_t height, Pixels& picture,
              std::uint32_t& showMilliseconds);
  void close();

  struct Wic;
  struct GdiPlus;

 private:
  Wic* wic_ = nullptr;          // null without WIC
  GdiPlus* gdiPlus_ = nullptr;  // loaded only when WIC cannot open a picture
  Uprighting upright_;
  std::uint32_t frames_ = 0;
};

}  // namespace saverkit::slideshow::win32
