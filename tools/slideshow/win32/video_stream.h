// A video file's frames through Media Foundation's source reader. The reader is asked for NV12,
// which every decoder gives (and Wine's does where RGB is refused), and the engine turns the
// frames into its own pixels. Media Foundation is loaded at run time from the system folder:
// Windows "N" editions without the Media Feature Pack, and servers without the desktop
// experience, lack it, and there the show passes over videos.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/win32/windows_api.h"
#include "video_colour.h"
#include "video_timeline.h"

struct IMFSourceReader;
struct IMFMediaType;

namespace saverkit::slideshow::win32 {

// A media type's major type and subtype, as Windows documents them: the library that holds all
// such identifiers would add 10 KB to the engine.
extern const GUID kMediaMajorType;
extern const GUID kMediaSubtype;

// True when this Windows can play videos at all; started once for the process.
bool mediaFoundationPresent();
// A source reader for the file, or null (no Media Foundation, or a file it cannot read); and an
// empty media type to ask one for a format. Both are the caller's to release.
IMFSourceReader* openSourceReader(const std::string& path);
IMFMediaType* newMediaType();

class VideoStream : public VideoReader {
 public:
  VideoStream() = default;
  ~VideoStream() override;
  VideoStream(const VideoStream&) = delete;
  VideoStream& operator=(const VideoStream&) = delete;

  // Opens the file's first video stream; false when it cannot be played here (no Media
  // Foundation, no decoder for it, a damaged file). The calling thread must have joined COM.
  bool open(const std::string& path);
  std::int32_t width() const { return width_; }
  std::int32_t height() const { return height_; }
  std::int64_t frameDuration() const override { return frameDuration_; }
  // Frames are width() x height().
  Read read(std::uint8_t* bgra, std::int32_t stride, std::int64_t& time) override;
  bool rewind() override;

 private:
  bool readFormat();

  IMFSourceReader* reader_ = nullptr;
  std::int32_t codedWidth_ = 0, codedHeight_ = 0;  // the decoder's planes, padding included
  std::int32_t left_ = 0, top_ = 0, width_ = 0, height_ = 0;  // the part that is shown
  std::int32_t stride_ = 0;
  std::int64_t frameDuration_ = 333333;
  ColourSpace colour_;
};

}  // namespace saverkit::slideshow::win32
