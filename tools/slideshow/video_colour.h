// Turning a video's decoded frames into the engine's pixels. Decoders give NV12: a plane of luma
// bytes, then a plane of interleaved blue- and red-difference bytes at half the width and half the
// height. Which matrix turned RGB into them (BT.601 for standard definition, BT.709 for high) and
// whether luma spans 16-235 or 0-255 come from the stream; a wrong guess shows every colour a
// little off, so both are taken from the stream when it says and from the frame's size when not.
#pragma once

#include <cstdint>

namespace saverkit::slideshow {

enum class ColourMatrix { kBt601, kBt709 };

struct ColourSpace {
  ColourMatrix matrix = ColourMatrix::kBt709;
  bool fullRange = false;
};

// What a stream that says nothing was most likely made with: BT.601 below HD heights, BT.709 from
// there, and limited range, as every broadcast and camera format writes.
ColourSpace assumedColourSpace(std::int32_t height);

struct Nv12Frame {
  const std::uint8_t* luma = nullptr;
  std::int32_t lumaStride = 0;
  const std::uint8_t* chroma = nullptr;  // width rounded up to even, (height + 1) / 2 rows
  std::int32_t chromaStride = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
};

// The frame as opaque 32-bit blue-green-red-alpha pixels, rows `stride` bytes apart. Fixed-point
// with six fractional bits, the same in every path, so the vector path and the plain one give the
// same bytes. The vector path runs where the processor has SSE2 (every processor Windows 8 and
// later runs on).
void convertNv12(const Nv12Frame& frame, ColourSpace space, std::uint8_t* bgra, std::int32_t stride);
// The plain path alone, which the vector path must match.
void convertNv12Plain(const Nv12Frame& frame, ColourSpace space, std::uint8_t* bgra, std::int32_t stride);

}  // namespace saverkit::slideshow
