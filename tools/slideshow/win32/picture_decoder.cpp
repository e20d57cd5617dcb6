// Picture decoding; see the header.
#include "picture_decoder.h"

#include <algorithm>
#include <memory>
#include <vector>

#include <objidl.h>
#include <gdiplus.h>
#include <wincodec.h>

#include "exif.h"
#include "frame.h"
#include "platform/win32/system_library.h"
#include "wide_text.h"

// A decoder's own scaling, as Windows documents it; the MinGW headers do not declare it.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
struct IWICBitmapSourceTransform : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE CopyPixels(const WICRect* rect, UINT width, UINT height, WICPixelFormatGUID* format,
                                               WICBitmapTransformOptions transform, UINT stride, UINT size, BYTE* buffer) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetClosestSize(UINT* width, UINT* height) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetClosestPixelFormat(WICPixelFormatGUID* format) = 0;
  virtual HRESULT STDMETHODCALLTYPE DoesSupportTransform(WICBitmapTransformOptions transform, BOOL* supported) = 0;
};
#pragma GCC diagnostic pop

namespace saverkit::slideshow::win32 {
namespace {

const IID kSourceTransformId = {0x3b16811b, 0x6a43, 0x4ec9, {0xb7, 0x13, 0x3d, 0x5a, 0x0c, 0x13, 0xb9, 0x40}};

// Holds one reference of a COM object and lets it go.
template <typename T>
class Com {
 public:
  Com() = default;
  Com(const Com&) = delete;
  Com& operator=(const Com&) = delete;
  ~Com() { reset(); }
  void reset() {
    if (object_) object_->Release();
    object_ = nullptr;
  }
  T** put() {
    reset();
    return &object_;
  }
  void swap(Com& other) { std::swap(object_, other.object_); }
  T* get() const { return object_; }
  T* operator->() const { return object_; }
  explicit operator bool() const { return object_ != nullptr; }

 private:
  T* object_ = nullptr;
};

// The photo's EXIF Orientation, read from the file's first bytes (1 when it has none): the
// decoders' own metadata readers do not all give it (Wine's give none for JPEG).
int exifOrientationOf(const std::string& path) {
  saverkit::win32::UniqueFileHandle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                                       OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file) return 1;
  std::vector<std::uint8_t> start(kExifSearchBytes);
  DWORD got = 0;
  if (!::ReadFile(file.get(), start.data(), static_cast<DWORD>(start.size()), &got, nullptr)) return 1;
  return exifOrientation(start.data(), got);
}

// Rows are copied from the decoder in bands of this many, so only the scaler's narrowed copy
// of a large picture is held whole.
constexpr UINT kBandRows = 64;

}  // namespace

// An open picture: the decoder, its first frame and, for an animation, the canvas its frames
// are drawn on in turn (a GIF frame covers only part of it and says what becomes of it after).
struct PictureDecoder::Wic {
  Com<IWICImagingFactory> factory;
  Com<IWICBitmapDecoder> decoder;
  UINT width = 0, height = 0;  // as stored
  // An animation's canvas, premultiplied, and what the last frame asked to leave behind.
  Pixels canvas, beforeLast;
  RECT lastBounds{};
  UINT lastDisposal = 0;
};

// The flat GDI+ calls the fallback takes from the system's library.
struct PictureDecoder::GdiPlus {
  decltype(&Gdiplus::DllExports::GdipLoadImageFromFile) loadImage = nullptr;
  decltype(&Gdiplus::DllExports::GdipGetImageWidth) imageWidth = nullptr;
  decltype(&Gdiplus::DllExports::GdipGetImageHeight) imageHeight = nullptr;
  decltype(&Gdiplus::DllExports::GdipDisposeImage) disposeImage = nullptr;
  decltype(&Gdiplus::DllExports::GdipCreateFromHDC) createGraphics = nullptr;
  decltype(&Gdiplus::DllExports::GdipDeleteGraphics) deleteGraphics = nullptr;
  decltype(&Gdiplus::DllExports::GdipSetInterpolationMode) setInterpolation = nullptr;
  decltype(&Gdiplus::DllExports::GdipDrawImageRectI) drawImage = nullptr;
  Gdiplus::GpImage* image = nullptr;
  bool bound = false;
};

namespace {

template <typename Function>
bool bind(HMODULE library, Function& function, const char* name) {
  function = reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(library, name)));
  return function != nullptr;
}

bool bindGdiPlus(PictureDecoder::GdiPlus& api) {
  HMODULE library = saverkit::win32::systemLibrary("gdiplus.dll");
  decltype(&Gdiplus::GdiplusStartup) startup = nullptr;
  if (!library || !bind(library, startup, "GdiplusStartup") || !bind(library, api.loadImage, "GdipLoadImageFromFile") ||
      !bind(library, api.imageWidth, "GdipGetImageWidth") || !bind(library, api.imageHeight, "GdipGetImageHeight") ||
      !bind(library, api.disposeImage, "GdipDisposeImage") || !bind(library, api.createGraphics, "GdipCreateFromHDC") ||
      !bind(library, api.deleteGraphics, "GdipDeleteGraphics") ||
      !bind(library, api.setInterpolation, "GdipSetInterpolationMode") ||
      !bind(library, api.drawImage, "GdipDrawImageRectI")) {
    return false;
  }
  // Started once for the process and never shut down: the process ends with the show.
  ULONG_PTR token = 0;
  Gdiplus::GdiplusStartupInput input;
  return startup(&token, &input, nullptr) == Gdiplus::Ok;
}

// The source's pixels in premultiplied BGRA, scaled to width x height on the way.
bool copyScaled(IWICImagingFactory* factory, IWICBitmapSource* source, std::int32_t width, std::int32_t height,
                Pixels& out) {
  Com<IWICFormatConverter> converter;
  if (FAILED(factory->CreateFormatConverter(converter.put())) ||
      FAILED(converter->Initialize(source, GUID_WICPixelFormat32bppPBGRA, WICBitmapDitherTypeNone, nullptr, 0.0,
                                   WICBitmapPaletteTypeCustom))) {
    return false;
  }
  UINT inWidth = 0, inHeight = 0;
  if (FAILED(converter->GetSize(&inWidth, &inHeight)) || inWidth == 0 || inHeight == 0 || inWidth > 0x7FFF * 4) return false;
  PictureScaler scaler(static_cast<std::int32_t>(inWidth), static_cast<std::int32_t>(inHeight), width, height);
  const UINT stride = inWidth * 4;
  std::vector<std::uint8_t> band(std::size_t(stride) * kBandRows);
  for (UINT top = 0; top < inHeight; top += kBandRows) {
    const UINT rows = std::min(kBandRows, inHeight - top);
    const WICRect rect{0, static_cast<INT>(top), static_cast<INT>(inWidth), static_cast<INT>(rows)};
    if (FAILED(converter->CopyPixels(&rect, stride, stride * rows, band.data()))) return false;
    scaler.addRows(band.data(), static_cast<std::int32_t>(rows), static_cast<std::int32_t>(stride));
  }
  out = scaler.finish();
  return true;
}

// The frame at the smallest size its decoder can give that is still at least width x height:
// a JPEG decoder scales by 1/2, 1/4 or 1/8 as it decodes. The frame itself when it cannot.
void shrinkWhileDecoding(IWICImagingFactory* factory, IWICBitmapFrameDecode* frame, UINT width, UINT height,
                         Com<IWICBitmap>& smaller) {
  Com<IWICBitmapSourceTransform> transform;
  if (FAILED(frame->QueryInterface(kSourceTransformId, reinterpret_cast<void**>(transform.put())))) return;
  UINT fullWidth = 0, fullHeight = 0, closeWidth = width, closeHeight = height;
  if (FAILED(frame->GetSize(&fullWidth, &fullHeight)) || FAILED(transform->GetClosestSize(&closeWidth, &closeHeight))) return;
  if (closeWidth >= fullWidth || closeWidth < width || closeHeight < height) return;
  WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
  if (FAILED(transform->GetClosestPixelFormat(&format))) return;
  Com<IWICBitmap> bitmap;
  if (FAILED(factory->CreateBitmap(closeWidth, closeHeight, format, WICBitmapCacheOnLoad, bitmap.put()))) return;
  Com<IWICBitmapLock> lock;
  const WICRect all{0, 0, static_cast<INT>(closeWidth), static_cast<INT>(closeHeight)};
  UINT stride = 0, size = 0;
  BYTE* data = nullptr;
  if (FAILED(bitmap->Lock(&all, WICBitmapLockWrite, lock.put())) || FAILED(lock->GetStride(&stride)) ||
      FAILED(lock->GetDataPointer(&size, &data)) ||
      FAILED(transform->CopyPixels(nullptr, closeWidth, closeHeight, &format, WICBitmapTransformRotate0, stride, size, data))) {
    return;
  }
  lock.reset();
  smaller.swap(bitmap);
}

UINT metadataNumber(IWICMetadataQueryReader* reader, const wchar_t* name, UINT otherwise) {
  PROPVARIANT value;
  ::PropVariantInit(&value);
  UINT result = otherwise;
  if (reader && SUCCEEDED(reader->GetMetadataByName(name, &value))) {
    if (value.vt == VT_UI1) result = value.bVal;
    if (value.vt == VT_UI2) result = value.uiVal;
    if (value.vt == VT_UI4) result = value.ulVal;
    if (value.vt == VT_BOOL) result = value.boolVal ? 1 : 0;
  }
  ::PropVariantClear(&value);
  return result;
}

// Animations larger than this are shown as their first frame: the canvas is held whole.
constexpr UINT kLargestCanvasPixels = 4096 * 4096;

}  // namespace

PictureDecoder::PictureDecoder() {
  if (!saverkit::win32::systemLibrary("windowscodecs.dll")) return;
  auto wic = std::make_unique<Wic>();
  if (FAILED(::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                reinterpret_cast<void**>(wic->factory.put())))) {
    return;
  }
  wic_ = wic.release();
}

PictureDecoder::~PictureDecoder() {
  close();
  delete wic_;
  delete gdiPlus_;
}

void PictureDecoder::close() {
  if (wic_) {
    wic_->decoder.reset();
    wic_->canvas = {};
    wic_->beforeLast = {};
  }
  if (gdiPlus_ && gdiPlus_->image) gdiPlus_->disposeImage(gdiPlus_->image);
  if (gdiPlus_) gdiPlus_->image = nullptr;
  frames_ = 0;
}

bool PictureDecoder::open(const std::string& path, std::int32_t& width, std::int32_t& height) {
  close();
  const std::wstring widePath = wideText(path);
  if (widePath.empty()) return false;
  UINT storedWidth = 0, storedHeight = 0;
  Com<IWICBitmapFrameDecode> first;
  if (wic_ &&
      SUCCEEDED(wic_->factory->CreateDecoderFromFilename(widePath.c_str(), nullptr, GENERIC_READ,
                                                         WICDecodeMetadataCacheOnDemand, wic_->decoder.put())) &&
      SUCCEEDED(wic_->decoder->GetFrameCount(&frames_)) && frames_ > 0 &&
      SUCCEEDED(wic_->decoder->GetFrame(0, first.put())) && SUCCEEDED(first->GetSize(&storedWidth, &storedHeight))) {
    wic_->width = storedWidth;
    wic_->height = storedHeight;
    // An animation's frames lie on a canvas of the size the file gives for the whole.
    Com<IWICMetadataQueryReader> whole;
    if (frames_ > 1 && SUCCEEDED(wic_->decoder->GetMetadataQueryReader(whole.put()))) {
      wic_->width = metadataNumber(whole.get(), L"/logscrdesc/Width", storedWidth);
      wic_->height = metadataNumber(whole.get(), L"/logscrdesc/Height", storedHeight);
    }
    if (frames_ > 1 && std::uint64_t{wic_->width} * wic_->height > kLargestCanvasPixels) frames_ = 1;
  } else {
    if (wic_) wic_->decoder.reset();
    frames_ = 0;
    if (!gdiPlus_) {
      gdiPlus_ = new GdiPlus;
      gdiPlus_->bound = bindGdiPlus(*gdiPlus_);
    }
    if (!gdiPlus_->bound || gdiPlus_->loadImage(widePath.c_str(), &gdiPlus_->image) != Gdiplus::Ok ||
        gdiPlus_->imageWidth(gdiPlus_->image, &storedWidth) != Gdiplus::Ok ||
        gdiPlus_->imageHeight(gdiPlus_->image, &storedHeight) != Gdiplus::Ok) {
      close();
      return false;
    }
    frames_ = 1;
  }
  if (storedWidth == 0 || storedHeight == 0 || storedWidth > 0x3FFFFFFF || storedHeight > 0x3FFFFFFF) {
    close();
    return false;
  }
  // The orientation as the codec reads it (HEIC keeps it apart from any EXIF block), else as
  // our own reader finds it in the file's first bytes (Wine's codecs give none).
  int orientation = 0;
  Com<IWICMetadataQueryReader> about;
  if (first && SUCCEEDED(first->GetMetadataQueryReader(about.put()))) {
    orientation = static_cast<int>(metadataNumber(about.get(), L"System.Photo.Orientation", 0));
  }
  if (orientation < 1 || orientation > 8) orientation = exifOrientationOf(path);
  upright_ = frames_ > 1 ? Uprighting{} : uprightingFor(orientation);
  const std::int32_t w = static_cast<std::int32_t>(wic_ && wic_->decoder ? wic_->width : storedWidth);
  const std::int32_t h = static_cast<std::int32_t>(wic_ && wic_->decoder ? wic_->height : storedHeight);
  width = upright_.swapsSides() ? h : w;
  height = upright_.swapsSides() ? w : h;
  return true;
}

bool PictureDecoder::decode(std::uint32_t index, std::int32_t width, std::int32_t height, Pixels& picture,
                            std::uint32_t& showMilliseconds) {
  showMilliseconds = 0;
  if (width <= 0 || height <= 0 || index >= frames_) return false;
  // Decoded as stored, then turned.
  const std::int32_t storedWidth = upright_.swapsSides() ? height : width;
  const std::int32_t storedHeight = upright_.swapsSides() ? width : height;
  Pixels stored;
  if (wic_ && wic_->decoder) {
    Com<IWICBitmapFrameDecode> frame;
    if (FAILED(wic_->decoder->GetFrame(index, frame.put()))) return false;
    if (frames_ == 1) {
      Com<IWICBitmap> smaller;
      shrinkWhileDecoding(wic_->factory.get(), frame.get(), static_cast<UINT>(storedWidth),
                          static_cast<UINT>(storedHeight), smaller);
      IWICBitmapSource* source = smaller ? static_cast<IWICBitmapSource*>(smaller.get()) : frame.get();
      if (!copyScaled(wic_->factory.get(), source, storedWidth, storedHeight, stored)) return false;
    } else {
      // An animation's frame: what the last one left, this one over it, then scaled whole.
      Wic& wic = *wic_;
      const std::int32_t cw = static_cast<std::int32_t>(wic.width), ch = static_cast<std::int32_t>(wic.height);
      if (index == 0 || wic.canvas.bytes.empty()) {
        wic.canvas = {cw, ch, std::vector<std::uint8_t>(std::size_t(cw) * std::size_t(ch) * 4, 0)};
        wic.lastDisposal = 0;
      } else if (wic.lastDisposal == 2) {
        for (LONG y = std::max(0L, wic.lastBounds.top); y < std::min<LONG>(ch, wic.lastBounds.bottom); ++y) {
          for (LONG x = std::max(0L, wic.lastBounds.left); x < std::min<LONG>(cw, wic.lastBounds.right); ++x) {
            std::fill_n(wic.canvas.bytes.begin() + (std::size_t(y) * std::size_t(cw) + std::size_t(x)) * 4, 4, 0);
          }
        }
      } else if (wic.lastDisposal == 3 && !wic.beforeLast.bytes.empty()) {
        wic.canvas = wic.beforeLast;
      }
      Com<IWICMetadataQueryReader> about;
      frame->GetMetadataQueryReader(about.put());
      const UINT left = metadataNumber(about.get(), L"/imgdesc/Left", 0);
      const UINT top = metadataNumber(about.get(), L"/imgdesc/Top", 0);
      // Delays under 20 ms are taken as 100 ms, as browsers do: such files were made for them.
      const UINT delay = metadataNumber(about.get(), L"/grctlext/Delay", 10);
      showMilliseconds = delay < 2 ? 100 : delay * 10;
      wic.lastDisposal = metadataNumber(about.get(), L"/grctlext/Disposal", 0);
      UINT fw = 0, fh = 0;
      if (FAILED(frame->GetSize(&fw, &fh))) return false;
      Pixels part;
      if (!copyScaled(wic.factory.get(), frame.get(), static_cast<std::int32_t>(fw), static_cast<std::int32_t>(fh), part)) {
        return false;
      }
      if (wic.lastDisposal == 3) wic.beforeLast = wic.canvas;
      wic.lastBounds = {static_cast<LONG>(left), static_cast<LONG>(top), static_cast<LONG>(left + fw), static_cast<LONG>(top + fh)};
      layOver(part, static_cast<std::int32_t>(left), static_cast<std::int32_t>(top), wic.canvas.bytes.data(), cw, ch, cw * 4);
      PictureScaler scaler(cw, ch, storedWidth, storedHeight);
      scaler.addRows(wic.canvas.bytes.data(), ch, cw * 4);
      stored = scaler.finish();
    }
  } else if (gdiPlus_ && gdiPlus_->image) {
    // GDI+ scales as it draws, into a frame of the wanted size.
    GdiPlus& api = *gdiPlus_;
    Frame frame(nullptr, storedWidth, storedHeight);
    Gdiplus::GpGraphics* graphics = nullptr;
    if (!frame.dc() || api.createGraphics(frame.dc(), &graphics) != Gdiplus::Ok) return false;
    api.setInterpolation(graphics, Gdiplus::InterpolationModeHighQualityBicubic);
    // A damaged file may decode only here, when its pixels are needed: a failure passes it over.
    const bool drawn = api.drawImage(graphics, api.image, 0, 0, storedWidth, storedHeight) == Gdiplus::Ok;
    api.deleteGraphics(graphics);
    if (!drawn) return false;
    ::GdiFlush();
    stored.width = storedWidth;
    stored.height = storedHeight;
    stored.bytes.assign(frame.bits(), frame.bits() + std::size_t(storedWidth) * std::size_t(storedHeight) * 4);
    for (std::size_t alpha = 3; alpha < stored.bytes.size(); alpha += 4) stored.bytes[alpha] = 255;
  } else {
    return false;
  }
  picture = uprightPixels(stored, upright_);
  return true;
}

}  // namespace saverkit::slideshow::win32
