// Picture decoding; see the header.
#include "picture_decoder.h"

#include <memory>
#include <vector>

#include <objidl.h>
#include <gdiplus.h>

#include "exif.h"
#include "frame.h"

#include "common/text_helpers.h"
#include "platform/win32/system_library.h"

namespace saverkit::slideshow::win32 {

namespace flat = Gdiplus::DllExports;

// The few flat GDI+ functions the engine calls, taken from the loaded library by name.
struct PictureDecoder::GdiPlus {
  decltype(&flat::GdipLoadImageFromFile) loadImage = nullptr;
  decltype(&flat::GdipGetImageWidth) imageWidth = nullptr;
  decltype(&flat::GdipGetImageHeight) imageHeight = nullptr;
  decltype(&flat::GdipDisposeImage) disposeImage = nullptr;
  decltype(&flat::GdipCreateFromHDC) createGraphics = nullptr;
  decltype(&flat::GdipDeleteGraphics) deleteGraphics = nullptr;
  decltype(&flat::GdipSetInterpolationMode) setInterpolation = nullptr;
  decltype(&flat::GdipSetClipRectI) setClip = nullptr;
  decltype(&flat::GdipDrawImageRectI) drawImage = nullptr;
  decltype(&flat::GdipImageRotateFlip) rotateFlip = nullptr;
  decltype(&Gdiplus::GdiplusShutdown) shutdown = nullptr;
  ULONG_PTR token = 0;
};

namespace {

template <typename Function>
bool bind(HMODULE library, Function& function, const char* name) {
  function = reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(library, name)));
  return function != nullptr;
}

std::wstring wide(const std::string& text) {
  const int length = ::MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
  if (length <= 0) return {};
  std::wstring result(static_cast<std::size_t>(length), L'\0');
  ::MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, result.data(), length);
  result.resize(static_cast<std::size_t>(length - 1));
  return result;
}

// The photo's EXIF Orientation, read from the file's first bytes (1 when it has none).
int exifOrientationOf(const std::string& path) {
  saverkit::win32::UniqueFileHandle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                                       OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file) return 1;
  std::vector<std::uint8_t> start(kExifSearchBytes);
  DWORD got = 0;
  if (!::ReadFile(file.get(), start.data(), static_cast<DWORD>(start.size()), &got, nullptr)) return 1;
  return exifOrientation(start.data(), got);
}

// Turns a photo upright in place, as its camera asked. GDI+ turns first and mirrors after, so a
// mirrored picture turns the other way round.
void uprightPicture(const PictureDecoder::GdiPlus& api, Gdiplus::GpImage* image, const std::string& path) {
  const Uprighting fix = uprightingFor(exifOrientationOf(path));
  if (!api.rotateFlip || (fix.quarterTurns == 0 && !fix.mirrored)) return;
  const int turns = fix.mirrored ? (4 - fix.quarterTurns) % 4 : fix.quarterTurns;
  api.rotateFlip(image, static_cast<Gdiplus::RotateFlipType>(turns + (fix.mirrored ? 4 : 0)));
}

}  // namespace

PictureDecoder::PictureDecoder() {
  HMODULE library = saverkit::win32::systemLibrary("gdiplus.dll");
  if (!library) return;
  auto api = std::make_unique<GdiPlus>();
  decltype(&Gdiplus::GdiplusStartup) startup = nullptr;
  const bool bound = bind(library, startup, "GdiplusStartup") && bind(library, api->shutdown, "GdiplusShutdown") &&
                     bind(library, api->loadImage, "GdipLoadImageFromFile") &&
                     bind(library, api->imageWidth, "GdipGetImageWidth") &&
                     bind(library, api->imageHeight, "GdipGetImageHeight") &&
                     bind(library, api->disposeImage, "GdipDisposeImage") &&
                     bind(library, api->createGraphics, "GdipCreateFromHDC") &&
                     bind(library, api->deleteGraphics, "GdipDeleteGraphics") &&
                     bind(library, api->setInterpolation, "GdipSetInterpolationMode") &&
                     bind(library, api->setClip, "GdipSetClipRectI") &&
                     bind(library, api->drawImage, "GdipDrawImageRectI");
  // Uprighting photos is a bonus: a GDI+ without it still shows them as stored.
  bind(library, api->rotateFlip, "GdipImageRotateFlip");
  Gdiplus::GdiplusStartupInput input;
  if (!bound || startup(&api->token, &input, nullptr) != Gdiplus::Ok) return;
  gdiPlus_ = api.release();
}

PictureDecoder::~PictureDecoder() {
  if (!gdiPlus_) return;
  gdiPlus_->shutdown(gdiPlus_->token);
  delete gdiPlus_;
}

bool PictureDecoder::draw(const std::string& path, HDC dc, const std::vector<Box>& targets, Scaling scaling) {
  if (gdiPlus_) return drawWithGdiPlus(path, dc, targets, scaling);
  return endsWith(toLowerAscii(path), ".bmp") && drawBitmapFile(path, dc, targets, scaling);
}

bool PictureDecoder::drawWithGdiPlus(const std::string& path, HDC dc, const std::vector<Box>& targets,
                                     Scaling scaling) {
  GdiPlus& api = *gdiPlus_;
  const std::wstring widePath = wide(path);
  Gdiplus::GpImage* image = nullptr;
  if (widePath.empty() || api.loadImage(widePath.c_str(), &image) != Gdiplus::Ok || !image) return false;
  uprightPicture(api, image, path);
  UINT width = 0, height = 0;
  bool drawn = api.imageWidth(image, &width) == Gdiplus::Ok && api.imageHeight(image, &height) == Gdiplus::Ok &&
               width > 0 && height > 0;
  Gdiplus::GpGraphics* graphics = nullptr;
  if (drawn && api.createGraphics(dc, &graphics) == Gdiplus::Ok) {
    api.setInterpolation(graphics, Gdiplus::InterpolationModeHighQualityBicubic);
    for (const Box& target : targets) {
      const Box box = placePicture(static_cast<std::int32_t>(width), static_cast<std::int32_t>(height), target, scaling);
      api.setClip(graphics, target.left, target.top, target.width, target.height, Gdiplus::CombineModeReplace);
      // A damaged file may decode only here, when its pixels are needed: a failure passes it over.
      drawn = drawn && api.drawImage(graphics, image, box.left, box.top, box.width, box.height) == Gdiplus::Ok;
    }
    api.deleteGraphics(graphics);
  } else {
    drawn = false;
  }
  api.disposeImage(image);
  return drawn;
}

bool PictureDecoder::drawBitmapFile(const std::string& path, HDC dc, const std::vector<Box>& targets,
                                    Scaling scaling) {
  saverkit::win32::UniqueGdiObject bitmap(
      ::LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
  BITMAP info{};
  if (!bitmap || !::GetObjectA(bitmap.get(), sizeof info, &info) || info.bmWidth <= 0 || info.bmHeight == 0) return false;
  UniqueMemoryDc source(::CreateCompatibleDC(dc));
  if (!source) return false;
  HGDIOBJ previous = ::SelectObject(source.get(), bitmap.get());
  ::SetStretchBltMode(dc, HALFTONE);
  ::SetBrushOrgEx(dc, 0, 0, nullptr);
  const int height = info.bmHeight < 0 ? -info.bmHeight : info.bmHeight;
  for (const Box& target : targets) {
    const Box box = placePicture(info.bmWidth, height, target, scaling);
    saverkit::win32::UniqueGdiObject clip(
        ::CreateRectRgn(target.left, target.top, target.left + target.width, target.top + target.height));
    ::SelectClipRgn(dc, static_cast<HRGN>(clip.get()));
    ::StretchBlt(dc, box.left, box.top, box.width, box.height, source.get(), 0, 0, info.bmWidth, height, SRCCOPY);
    ::SelectClipRgn(dc, nullptr);
  }
  ::SelectObject(source.get(), previous);
  return true;
}

}  // namespace saverkit::slideshow::win32
