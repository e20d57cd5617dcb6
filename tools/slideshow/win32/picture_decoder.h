// Decoding pictures and drawing them into a frame. The system's GDI+ decodes BMP, JPEG, PNG and
// GIF; it is loaded at run time by its full path in the system folder, so no copy planted beside
// the engine can stand in for it, and a system without it (Windows before XP, or XP, where it
// lives only in the side-by-side store) still shows bitmap files through GDI and still runs
// /c and /u.
#pragma once

#include <string>
#include <vector>

#include "placement.h"
#include "platform/win32/unique_handle.h"

namespace saverkit::slideshow::win32 {

class PictureDecoder {
 public:
  PictureDecoder();
  ~PictureDecoder();
  PictureDecoder(const PictureDecoder&) = delete;
  PictureDecoder& operator=(const PictureDecoder&) = delete;

  // Draws the picture into every target box of `dc` (black already), each clipped to its box.
  // False when the file cannot be read or decoded: the show passes it over.
  bool draw(const std::string& path, HDC dc, const std::vector<Box>& targets, Scaling scaling);

 public:
  // The flat GDI+ calls the decoder takes from the system's library.
  struct GdiPlus;

 private:
  bool drawWithGdiPlus(const std::string& path, HDC dc, const std::vector<Box>& targets, Scaling scaling);
  bool drawBitmapFile(const std::string& path, HDC dc, const std::vector<Box>& targets, Scaling scaling);

  GdiPlus* gdiPlus_ = nullptr;  // null without GDI+
};

}  // namespace saverkit::slideshow::win32
