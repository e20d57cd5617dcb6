// When each of a video's frames is due on the screen. A decoder stamps frames with their time in
// the stream; the show counts from the first frame it put up, runs a video alone in the show into
// itself again without a seam (the second pass's frames follow the first pass's last one by one
// frame's time), and ends a video that breaks down as if it had played through.
#pragma once

#include <cstdint>

namespace saverkit::slideshow {

// A video's frames, in order, as its decoder gives them.
class VideoReader {
 public:
  virtual ~VideoReader() = default;
  enum class Read { kFrame, kEnd, kFailed };
  // The next frame into `bgra` (rows `stride` bytes apart) and its stamp in 100-nanosecond units.
  virtual Read read(std::uint8_t* bgra, std::int32_t stride, std::int64_t& stamp) = 0;
  // Back to the first frame; false when the stream cannot seek.
  virtual bool rewind() = 0;
  // One frame's nominal time in 100-nanosecond units, from the stream's rate.
  virtual std::int64_t frameDuration() const = 0;
};

class VideoTimeline {
 public:
  VideoTimeline(VideoReader& reader, bool loops) : reader_(reader), loops_(loops) {}
  // The next frame into `bgra` and when it is due, in milliseconds after the first; false once
  // the video has ended (or broken down, or never started).
  bool next(std::uint8_t* bgra, std::int32_t stride, std::uint32_t& dueMilliseconds);
  // When the last frame's time is over, in milliseconds after the first: where the video ends.
  std::uint32_t endMilliseconds() const;
  // Frames given so far, over every pass.
  std::uint64_t frames() const { return frames_; }

 private:
  VideoReader& reader_;
  bool loops_;
  bool ended_ = false;
  std::int64_t first_ = 0;    // the stamp of this pass's first frame
  std::int64_t offset_ = 0;   // what the passes before this one lasted
  std::int64_t latest_ = 0;   // the last frame's time on the show's clock
  std::uint64_t frames_ = 0;
  std::uint64_t framesThisPass_ = 0;
};

}  // namespace saverkit::slideshow
