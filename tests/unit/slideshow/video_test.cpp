// A video's frames: their colours from NV12 in both conversion paths, and their times through a
// show, looping without a seam, ending, breaking down, or never starting (no Media Foundation).
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "show_rules.h"
#include "sound_volume.h"
#include "video_colour.h"
#include "video_timeline.h"

namespace saverkit::slideshow {
namespace {

struct Yuv {
  std::uint8_t y, u, v;
};

// One pixel of a colour, converted; blue, green, red.
std::vector<int> convertOne(Yuv colour, ColourSpace space) {
  const std::uint8_t luma[2] = {colour.y, colour.y};
  const std::uint8_t chroma[2] = {colour.u, colour.v};
  std::uint8_t out[8] = {};
  convertNv12({luma, 2, chroma, 2, 2, 1}, space, out, 8);
  EXPECT_EQ(out[3], 255);
  return {out[0], out[1], out[2]};
}

TEST(VideoColour, KnownColoursInEachMatrixAndRange) {
  // Colours as encoders write them (red, green, blue, white, black), and what they must become.
  const struct {
    ColourSpace space;
    Yuv yuv;
    std::vector<int> bgr;
  } cases[] = {
      {{ColourMatrix::kBt601, false}, {81, 90, 240}, {0, 0, 255}},
      {{ColourMatrix::kBt601, false}, {145, 54, 34}, {0, 255, 0}},
      {{ColourMatrix::kBt601, false}, {41, 240, 110}, {255, 0, 0}},
      {{ColourMatrix::kBt601, false}, {235, 128, 128}, {255, 255, 255}},
      {{ColourMatrix::kBt601, false}, {16, 128, 128}, {0, 0, 0}},
      {{ColourMatrix::kBt709, false}, {63, 102, 240}, {0, 0, 255}},
      {{ColourMatrix::kBt709, false}, {173, 42, 26}, {0, 255, 0}},
      {{ColourMatrix::kBt709, false}, {32, 240, 118}, {255, 0, 0}},
      {{ColourMatrix::kBt601, true}, {76, 85, 255}, {0, 0, 255}},
      {{ColourMatrix::kBt709, true}, {255, 128, 128}, {255, 255, 255}},
      {{ColourMatrix::kBt709, true}, {0, 128, 128}, {0, 0, 0}},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(std::to_string(test.yuv.y) + "," + std::to_string(test.yuv.u) + "," + std::to_string(test.yuv.v));
    const std::vector<int> got = convertOne(test.yuv, test.space);
    for (int channel = 0; channel < 3; ++channel) EXPECT_NEAR(got[channel], test.bgr[channel], 2);
  }
  // Red read with the wrong matrix is visibly off: the matrix is not ignored.
  EXPECT_GT(convertOne({81, 90, 240}, {ColourMatrix::kBt709, false})[1], 20);
  EXPECT_EQ(assumedColourSpace(576).matrix, ColourMatrix::kBt601);
  EXPECT_EQ(assumedColourSpace(720).matrix, ColourMatrix::kBt709);
}

TEST(VideoColour, TheVectorPathGivesThePlainPathsBytesForEveryShape) {
  std::mt19937 random(26);
  // Widths around the eight pixels the vector path takes at once, odd heights, padded rows.
  for (const int width : {1, 2, 7, 8, 9, 16, 33}) {
    for (const int height : {1, 2, 3, 5}) {
      SCOPED_TRACE(std::to_string(width) + "x" + std::to_string(height));
      const int lumaStride = width + 3, chromaStride = (width + 1) / 2 * 2 + 5;
      std::vector<std::uint8_t> luma(lumaStride * height), chroma(chromaStride * ((height + 1) / 2));
      for (auto& byte : luma) byte = static_cast<std::uint8_t>(random());
      for (auto& byte : chroma) byte = static_cast<std::uint8_t>(random());
      for (const ColourSpace space : {ColourSpace{ColourMatrix::kBt601, false}, ColourSpace{ColourMatrix::kBt709, true}}) {
        const int stride = width * 4 + 8;
        std::vector<std::uint8_t> vector(stride * height, 7), plain(stride * height, 7);
        const Nv12Frame frame{luma.data(), lumaStride, chroma.data(), chromaStride, width, height};
        convertNv12(frame, space, vector.data(), stride);
        convertNv12Plain(frame, space, plain.data(), stride);
        EXPECT_EQ(vector, plain);
        // Nothing is written past a row's pixels.
        for (int row = 0; row < height; ++row) EXPECT_EQ(vector[row * stride + width * 4], 7);
      }
    }
  }
}

// A decoder that gives frames stamped as told, then ends, fails or cannot seek as told.
class ScriptedReader : public VideoReader {
 public:
  std::vector<std::int64_t> stamps;  // one pass
  bool failsAfterPass = false;
  bool canRewind = true;
  int rewinds = 0;

  Read read(std::uint8_t* bgra, std::int32_t, std::int64_t& stamp) override {
    if (next_ == stamps.size()) return failsAfterPass ? Read::kFailed : Read::kEnd;
    bgra[0] = static_cast<std::uint8_t>(next_);
    stamp = stamps[next_++];
    return Read::kFrame;
  }
  bool rewind() override {
    ++rewinds;
    next_ = 0;
    return canRewind;
  }
  std::int64_t frameDuration() const override { return 400000; }  // 40 ms

 private:
  std::size_t next_ = 0;
};

std::vector<std::uint32_t> dueTimes(VideoTimeline& timeline, int most) {
  std::vector<std::uint32_t> times;
  std::uint8_t pixel[4] = {};
  std::uint32_t due = 0;
  while (static_cast<int>(times.size()) < most && timeline.next(pixel, 4, due)) times.push_back(due);
  return times;
}

TEST(VideoTimeline, CountsFromTheFirstFrameAndEndsAfterTheLastFramesTime) {
  ScriptedReader reader;
  reader.stamps = {5000000, 5400000, 5800000};  // a stream that starts at 0.5 s
  VideoTimeline timeline(reader, false);
  EXPECT_EQ(dueTimes(timeline, 10), (std::vector<std::uint32_t>{0, 40, 80}));
  EXPECT_EQ(timeline.endMilliseconds(), 120u);
  EXPECT_EQ(reader.rewinds, 0);
}

TEST(VideoTimeline, AVideoAloneRunsIntoItselfOneFrameAfterItsLast) {
  ScriptedReader reader;
  reader.stamps = {0, 400000, 800000};
  VideoTimeline timeline(reader, true);
  EXPECT_EQ(dueTimes(timeline, 8), (std::vector<std::uint32_t>{0, 40, 80, 120, 160, 200, 240, 280}));
  EXPECT_EQ(timeline.frames(), 8u);
  EXPECT_EQ(reader.rewinds, 2);
}

TEST(VideoTimeline, BreakdownsEndTheVideoWithoutSpinning) {
  {
    SCOPED_TRACE("fails after its frames");
    ScriptedReader reader;
    reader.stamps = {0, 400000};
    reader.failsAfterPass = true;
    VideoTimeline timeline(reader, true);
    EXPECT_EQ(dueTimes(timeline, 10).size(), 2u);
    EXPECT_EQ(reader.rewinds, 0);
    EXPECT_EQ(timeline.endMilliseconds(), 80u);
  }
  {
    SCOPED_TRACE("cannot seek back");
    ScriptedReader reader;
    reader.stamps = {0, 400000};
    reader.canRewind = false;
    VideoTimeline timeline(reader, true);
    EXPECT_EQ(dueTimes(timeline, 10).size(), 2u);
  }
  {
    SCOPED_TRACE("a stamp that goes back");
    ScriptedReader reader;
    reader.stamps = {0, 800000, 400000, 1200000};
    VideoTimeline timeline(reader, false);
    EXPECT_EQ(dueTimes(timeline, 10), (std::vector<std::uint32_t>{0, 80, 80, 120}));
  }
  {
    SCOPED_TRACE("no frame at all, looping");
    ScriptedReader reader;
    VideoTimeline timeline(reader, true);
    EXPECT_TRUE(dueTimes(timeline, 10).empty());
    EXPECT_LE(reader.rewinds, 1);
    EXPECT_EQ(timeline.endMilliseconds(), 0u);
  }
}

// Without Media Foundation no video gives its first frame: the show passes over the videos and
// shows the pictures, in order.
TEST(VideoTimeline, WithoutAVideoDecoderTheShowIsItsPictures) {
  const std::vector<std::string> files{"a.jpg", "b.mp4", "c.png", "d.webm"};
  ShowCycle cycle([&] { return files; }, false, 8, 1);
  ScriptedReader missing;
  missing.failsAfterPass = true;
  const ShowCycle::Draw draw = [&](const std::string& path) {
    if (!isVideoFile(path)) return true;
    VideoTimeline timeline(missing, false);
    std::uint8_t pixel[4];
    std::uint32_t due = 0;
    return timeline.next(pixel, 4, due);
  };
  std::vector<std::string> shown;
  for (int i = 0; i < 4; ++i) shown.push_back(*cycle.step(draw).picture);
  EXPECT_EQ(shown, (std::vector<std::string>{"a.jpg", "c.png", "a.jpg", "c.png"}));
  EXPECT_EQ(cycle.showable(), 2u);
}

}  // namespace
}  // namespace saverkit::slideshow

namespace saverkit::slideshow {
namespace {

TEST(SoundVolume, SilentToAsRecordedAlongTheSquare) {
  const std::vector<std::int16_t> recorded{32767, -32768, 1000, -1, 0};
  const auto at = [&](int volume) {
    std::vector<std::int16_t> samples = recorded;
    applyVolume(samples.data(), samples.size(), volume);
    return samples;
  };
  EXPECT_EQ(at(100), recorded);
  EXPECT_EQ(at(0), (std::vector<std::int16_t>{0, 0, 0, 0, 0}));
  EXPECT_EQ(at(50), (std::vector<std::int16_t>{8191, -8192, 250, 0, 0}));
  EXPECT_EQ(at(250), recorded);  // beyond the scale: as far as it goes
  EXPECT_EQ(at(-3), at(0));
}

}  // namespace
}  // namespace saverkit::slideshow
