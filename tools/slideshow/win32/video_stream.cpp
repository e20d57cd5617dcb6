// Video through Media Foundation; see the header.
#include "video_stream.h"

#include <mfapi.h>
#include <mferror.h>
#include <mfidl.h>
#include <mfreadwrite.h>

#include "platform/win32/system_library.h"
#include "wide_text.h"

namespace saverkit::slideshow::win32 {
namespace {

constexpr ULONG kMediaFoundationVersion = 0x00020070;  // Windows 7's, which every later one accepts
constexpr DWORD kVideo = static_cast<DWORD>(MF_SOURCE_READER_FIRST_VIDEO_STREAM);

// The few other identifiers used.
const GUID kFrameSize = {0x1652c33d, 0xd6b2, 0x4012, {0xb8, 0x34, 0x72, 0x03, 0x08, 0x49, 0xa3, 0x7d}};
const GUID kFrameRate = {0xc459a2e8, 0x3d2c, 0x4e44, {0xb1, 0x32, 0xfe, 0xe5, 0x15, 0x6c, 0x7b, 0xb0}};
const GUID kYuvMatrix = {0x3e23d450, 0x2c75, 0x4d25, {0xa0, 0x0e, 0xb9, 0x16, 0x70, 0xd1, 0x23, 0x27}};
const GUID kNominalRange = {0xc21b8ee5, 0xb956, 0x4071, {0x8d, 0xaf, 0x32, 0x5e, 0xdf, 0x5c, 0xab, 0x11}};
const GUID kDisplayAperture = {0xd7388766, 0x18fe, 0x48c6, {0xa1, 0x77, 0xee, 0x89, 0x48, 0x67, 0xc8, 0xc4}};
const GUID kDefaultStride = {0x644b4e48, 0x1e02, 0x4516, {0xb0, 0xeb, 0xc0, 0x1c, 0xa9, 0xd4, 0x9a, 0xc6}};
const GUID kVideoMedia = {0x73646976, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};
const GUID kNv12 = {0x3231564e, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};
const IID kTwoDimensionalBuffer = {0x7dc9d5f9, 0x9ed9, 0x44ec, {0x9b, 0xbf, 0x06, 0x00, 0xbb, 0x58, 0x9f, 0xbb}};

struct Api {
  HRESULT(WINAPI* startup)(ULONG, DWORD) = nullptr;
  HRESULT(WINAPI* createMediaType)(IMFMediaType**) = nullptr;
  HRESULT(WINAPI* createReader)(LPCWSTR, IMFAttributes*, IMFSourceReader**) = nullptr;
};

// Loaded and started once; never shut down, as the process ends with the show.
const Api* api() {
  static const Api* const loaded = [] () -> const Api* {
    static Api functions;
    functions.startup = saverkit::win32::systemFunction<decltype(functions.startup)>("mfplat.dll", "MFStartup");
    functions.createMediaType =
        saverkit::win32::systemFunction<decltype(functions.createMediaType)>("mfplat.dll", "MFCreateMediaType");
    functions.createReader = saverkit::win32::systemFunction<decltype(functions.createReader)>(
        "mfreadwrite.dll", "MFCreateSourceReaderFromURL");
    if (!functions.startup || !functions.createMediaType || !functions.createReader) return nullptr;
    if (FAILED(functions.startup(kMediaFoundationVersion, MFSTARTUP_LITE))) return nullptr;
    return &functions;
  }();
  return loaded;
}

template <typename T>
void release(T*& object) {
  if (object) object->Release();
  object = nullptr;
}

}  // namespace

const GUID kMediaMajorType = {0x48eba18e, 0xf8c9, 0x4687, {0xbf, 0x11, 0x0a, 0x74, 0xc9, 0xf9, 0x6a, 0x8f}};
const GUID kMediaSubtype = {0xf7e34c9a, 0x42e8, 0x4714, {0xb7, 0x4b, 0xcb, 0x29, 0xd7, 0x2c, 0x35, 0xe5}};

bool mediaFoundationPresent() { return api() != nullptr; }

IMFSourceReader* openSourceReader(const std::string& path) {
  IMFSourceReader* reader = nullptr;
  const Api* functions = api();
  if (!functions || FAILED(functions->createReader(wideText(path).c_str(), nullptr, &reader))) return nullptr;
  return reader;
}

IMFMediaType* newMediaType() {
  IMFMediaType* type = nullptr;
  const Api* functions = api();
  if (!functions || FAILED(functions->createMediaType(&type))) return nullptr;
  return type;
}

VideoStream::~VideoStream() { release(reader_); }

bool VideoStream::open(const std::string& path) {
  release(reader_);
  reader_ = openSourceReader(path);
  if (!reader_) return false;
  IMFMediaType* wanted = newMediaType();
  bool ready = SUCCEEDED(reader_->SetStreamSelection(static_cast<DWORD>(MF_SOURCE_READER_ALL_STREAMS), FALSE)) &&
               SUCCEEDED(reader_->SetStreamSelection(kVideo, TRUE)) && wanted &&
               SUCCEEDED(wanted->SetGUID(kMediaMajorType, kVideoMedia)) &&
               SUCCEEDED(wanted->SetGUID(kMediaSubtype, kNv12)) &&
               SUCCEEDED(reader_->SetCurrentMediaType(kVideo, nullptr, wanted)) && readFormat();
  release(wanted);
  if (!ready) release(reader_);
  return ready;
}

// The frame's planes and the part of them that is shown: decoders pad 1080 rows to 1088 and say
// so in the aperture.
bool VideoStream::readFormat() {
  IMFMediaType* type = nullptr;
  if (FAILED(reader_->GetCurrentMediaType(kVideo, &type))) return false;
  UINT64 size = 0, rate = 0;
  UINT32 stride = 0, matrix = 0, range = 0;
  MFVideoArea aperture{};
  bool known = SUCCEEDED(type->GetUINT64(kFrameSize, &size));
  codedWidth_ = static_cast<std::int32_t>(size >> 32);
  codedHeight_ = static_cast<std::int32_t>(size & 0xFFFFFFFF);
  known = known && codedWidth_ > 0 && codedHeight_ > 0 && codedWidth_ <= 16384 && codedHeight_ <= 16384;
  left_ = top_ = 0;
  width_ = codedWidth_;
  height_ = codedHeight_;
  if (SUCCEEDED(type->GetBlob(kDisplayAperture, reinterpret_cast<UINT8*>(&aperture), sizeof aperture,
                              nullptr))) {
    const LONG x = aperture.OffsetX.value, y = aperture.OffsetY.value;
    if (x >= 0 && y >= 0 && aperture.Area.cx > 0 && aperture.Area.cy > 0 && x + aperture.Area.cx <= codedWidth_ &&
        y + aperture.Area.cy <= codedHeight_) {
      left_ = x & ~1;
      top_ = y & ~1;
      width_ = aperture.Area.cx;
      height_ = aperture.Area.cy;
    }
  }
  stride_ = SUCCEEDED(type->GetUINT32(kDefaultStride, &stride)) && static_cast<INT32>(stride) >= codedWidth_
                ? static_cast<std::int32_t>(stride)
                : codedWidth_;
  if (SUCCEEDED(type->GetUINT64(kFrameRate, &rate)) && (rate >> 32) > 0 && (rate & 0xFFFFFFFF) > 0) {
    frameDuration_ = static_cast<std::int64_t>(10000000ull * (rate & 0xFFFFFFFF) / (rate >> 32));
  }
  colour_ = assumedColourSpace(height_);
  if (SUCCEEDED(type->GetUINT32(kYuvMatrix, &matrix))) {
    if (matrix == MFVideoTransferMatrix_BT709) colour_.matrix = ColourMatrix::kBt709;
    if (matrix == MFVideoTransferMatrix_BT601) colour_.matrix = ColourMatrix::kBt601;
  }
  if (SUCCEEDED(type->GetUINT32(kNominalRange, &range))) {
    if (range == MFNominalRange_0_255) colour_.fullRange = true;
    if (range == MFNominalRange_16_235) colour_.fullRange = false;
  }
  release(type);
  return known;
}

VideoStream::Read VideoStream::read(std::uint8_t* bgra, std::int32_t stride, std::int64_t& time) {
  if (!reader_) return Read::kFailed;
  for (;;) {
    DWORD flags = 0;
    LONGLONG stamp = 0;
    IMFSample* sample = nullptr;
    if (FAILED(reader_->ReadSample(kVideo, 0, nullptr, &flags, &stamp, &sample))) return Read::kFailed;
    if (flags & MF_SOURCE_READERF_ERROR) {
      release(sample);
      return Read::kFailed;
    }
    if ((flags & MF_SOURCE_READERF_CURRENTMEDIATYPECHANGED) && !readFormat()) {
      release(sample);
      return Read::kFailed;
    }
    if (!sample) {
      if (flags & MF_SOURCE_READERF_ENDOFSTREAM) return Read::kEnd;
      continue;  // a gap in the stream: no frame this time
    }
    IMFMediaBuffer* buffer = nullptr;
    IMF2DBuffer* planes = nullptr;
    BYTE* data = nullptr;
    LONG pitch = stride_;
    DWORD length = 0;
    bool converted = false;
    if (SUCCEEDED(sample->ConvertToContiguousBuffer(&buffer))) {
      // A two-dimensional buffer knows its real row pitch, which may exceed the media type's.
      if (SUCCEEDED(buffer->QueryInterface(kTwoDimensionalBuffer, reinterpret_cast<void**>(&planes))) &&
          SUCCEEDED(planes->GetContiguousLength(&length)) && SUCCEEDED(planes->Lock2D(&data, &pitch))) {
        if (pitch <= 0) pitch = 0;  // bottom-up rows: not a layout NV12 decoders give
      } else {
        release(planes);
        if (FAILED(buffer->Lock(&data, nullptr, &length))) data = nullptr;
      }
    }
    if (data) {
      // Both planes must lie within what the decoder gave, whatever its media type claimed.
      const std::uint64_t lumaBytes = std::uint64_t{static_cast<std::uint32_t>(pitch)} * codedHeight_;
      if (pitch >= codedWidth_ && lumaBytes + lumaBytes / 2 <= length) {
        const Nv12Frame frame{data + std::ptrdiff_t{top_} * pitch + left_, pitch,
                              data + lumaBytes + std::ptrdiff_t{top_ / 2} * pitch + left_, pitch, width_, height_};
        convertNv12(frame, colour_, bgra, stride);
        converted = true;
      }
      if (planes) planes->Unlock2D();
      else buffer->Unlock();
    }
    release(planes);
    release(buffer);
    release(sample);
    time = stamp;
    return converted ? Read::kFrame : Read::kFailed;
  }
}

bool VideoStream::rewind() {
  if (!reader_) return false;
  PROPVARIANT start;
  PropVariantInit(&start);
  start.vt = VT_I8;
  start.hVal.QuadPart = 0;
  return SUCCEEDED(reader_->SetCurrentPosition(GUID{}, start));
}

}  // namespace saverkit::slideshow::win32
