// Turning decoded pictures upright, scaling them and laying them over a monitor's frame.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "compose.h"

namespace saverkit::slideshow {
namespace {

// A picture whose every pixel says where it is: blue = x, green = y.
Pixels numbered(std::int32_t width, std::int32_t height) {
  Pixels p{width, height, std::vector<std::uint8_t>(std::size_t(width) * std::size_t(height) * 4)};
  for (std::int32_t y = 0; y < height; ++y) {
    for (std::int32_t x = 0; x < width; ++x) {
      std::uint8_t* pixel = &p.bytes[(std::size_t(y) * std::size_t(width) + std::size_t(x)) * 4];
      pixel[0] = static_cast<std::uint8_t>(x);
      pixel[1] = static_cast<std::uint8_t>(y);
      pixel[2] = 0;
      pixel[3] = 255;
    }
  }
  return p;
}

std::pair<int, int> sourceOf(const Pixels& p, std::int32_t x, std::int32_t y) {
  const std::uint8_t* pixel = &p.bytes[(std::size_t(y) * std::size_t(p.width) + std::size_t(x)) * 4];
  return {pixel[0], pixel[1]};
}

TEST(UprightPixels, EveryOrientationPutsTheTopLeftCornerWhereTheCameraMeantIt) {
  // A 3x2 stored picture; for each EXIF value, where the stored corners end up once upright.
  const Pixels stored = numbered(3, 2);
  struct Row {
    int orientation;
    std::int32_t width, height;
    std::pair<int, int> topLeft, topRight, bottomLeft;  // stored (x, y) shown at those corners
  };
  const Row rows[] = {
      {1, 3, 2, {0, 0}, {2, 0}, {0, 1}},
      {2, 3, 2, {2, 0}, {0, 0}, {2, 1}},  // mirrored
      {3, 3, 2, {2, 1}, {0, 1}, {2, 0}},  // upside down
      {4, 3, 2, {0, 1}, {2, 1}, {0, 0}},  // mirrored upside down
      {5, 2, 3, {0, 0}, {0, 1}, {2, 0}},  // across the main diagonal
      {6, 2, 3, {0, 1}, {0, 0}, {2, 1}},  // stored a quarter turn back
      {7, 2, 3, {2, 1}, {2, 0}, {0, 1}},  // across the other diagonal
      {8, 2, 3, {2, 0}, {2, 1}, {0, 0}},  // stored a quarter turn forward
  };
  for (const Row& row : rows) {
    const Pixels upright = uprightPixels(stored, uprightingFor(row.orientation));
    ASSERT_EQ(upright.width, row.width) << row.orientation;
    ASSERT_EQ(upright.height, row.height) << row.orientation;
    EXPECT_EQ(sourceOf(upright, 0, 0), row.topLeft) << row.orientation;
    EXPECT_EQ(sourceOf(upright, row.width - 1, 0), row.topRight) << row.orientation;
    EXPECT_EQ(sourceOf(upright, 0, row.height - 1), row.bottomLeft) << row.orientation;
  }
}

Pixels scaled(const Pixels& in, std::int32_t width, std::int32_t height, std::int32_t band) {
  PictureScaler scaler(in.width, in.height, width, height);
  for (std::int32_t top = 0; top < in.height; top += band) {
    scaler.addRows(in.bytes.data() + std::size_t(top) * std::size_t(in.width) * 4, std::min(band, in.height - top),
                   in.width * 4);
  }
  return scaler.finish();
}

TEST(PictureScaler, KeepsFlatColoursAndAveragesFineDetailAway) {
  // A flat colour stays exactly that colour, larger or smaller, whatever the bands.
  Pixels flat{7, 5, {}};
  for (int i = 0; i < 35; ++i) flat.bytes.insert(flat.bytes.end(), {30, 140, 250, 255});
  for (const auto& [w, h] : std::vector<std::pair<int, int>>{{1, 1}, {3, 2}, {20, 13}, {7, 5}}) {
    const Pixels out = scaled(flat, w, h, 2);
    ASSERT_EQ(out.bytes.size(), std::size_t(w) * std::size_t(h) * 4);
    for (std::size_t i = 0; i < out.bytes.size(); i += 4) {
      ASSERT_EQ(out.bytes[i], 30);
      ASSERT_EQ(out.bytes[i + 1], 140);
      ASSERT_EQ(out.bytes[i + 2], 250);
      ASSERT_EQ(out.bytes[i + 3], 255);
    }
  }
  // One-pixel black and white stripes made 8 times smaller come out an even grey, not stripes
  // (a nearest-pixel scaler gives all black or all white: moire).
  Pixels stripes{64, 8, {}};
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 64; ++x) {
      const std::uint8_t v = x % 2 ? 255 : 0;
      stripes.bytes.insert(stripes.bytes.end(), {v, v, v, 255});
    }
  }
  const Pixels small = scaled(stripes, 8, 1, 3);
  for (std::size_t i = 0; i < small.bytes.size(); i += 4) EXPECT_NEAR(small.bytes[i], 128, 12) << i;
}

TEST(PictureScaler, GrowsSmoothlyAndKeepsTheSides) {
  // Black left half, white right half, made four times larger: still black at the left edge and
  // white at the right, rising in between without a step back.
  Pixels halves{2, 1, {0, 0, 0, 255, 255, 255, 255, 255}};
  const Pixels large = scaled(halves, 8, 2, 1);
  EXPECT_EQ(large.bytes[0], 0);
  EXPECT_EQ(large.bytes[7 * 4], 255);
  for (int x = 1; x < 8; ++x) EXPECT_GE(large.bytes[std::size_t(x) * 4], large.bytes[std::size_t(x - 1) * 4]);
  EXPECT_GT(large.bytes[3 * 4], 0);
  EXPECT_LT(large.bytes[4 * 4], 255);
}

TEST(PictureScaler, StreamsTallPicturesThroughAFewRowsWhateverTheBands) {
  // A ramp down 2550 rows made 17 rows tall: each output row is its band's average (the 150
  // rows around its middle: 7.5 levels in), rising steadily, the same whether the rows come one
  // by one or all at once.
  Pixels ramp{1, 2550, {}};
  for (int y = 0; y < 2550; ++y) {
    const auto v = static_cast<std::uint8_t>(y / 10);
    ramp.bytes.insert(ramp.bytes.end(), {v, v, v, 255});
  }
  const Pixels oneByOne = scaled(ramp, 1, 17, 1), whole = scaled(ramp, 1, 17, 2550);
  EXPECT_EQ(oneByOne.bytes, whole.bytes);
  for (int y = 0; y < 17; ++y) EXPECT_NEAR(oneByOne.bytes[std::size_t(y) * 4], 7.5 + 15 * y, 1.5) << y;
}

TEST(LayOver, ClipsToTheFrameAndBlendsTransparentPixels) {
  std::vector<std::uint8_t> frame(4 * 3 * 4, 100);
  Pixels picture{3, 2, {}};
  // Opaque, half transparent (premultiplied), transparent; then three opaque.
  picture.bytes = {10, 20, 30, 255, 50, 50, 50, 128, 0, 0, 0, 0, 1, 2, 3, 255, 4, 5, 6, 255, 7, 8, 9, 255};
  layOver(picture, -1, 2, frame.data(), 4, 3, 16);  // only the top row's last two fall inside
  auto at = [&](int x, int y) { return &frame[std::size_t(y) * 16 + std::size_t(x) * 4]; };
  EXPECT_EQ(at(0, 2)[0], 50 + (100 * 127 + 127) / 255);  // half over the frame
  EXPECT_EQ(at(1, 2)[0], 100);  // transparent: the frame shows
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 4; ++x) EXPECT_EQ(at(x, y)[0], 100) << x << "," << y;  // untouched above
  }
  layOver(picture, 3, 0, frame.data(), 4, 3, 16);  // one column in, from the right edge
  EXPECT_EQ(at(3, 0)[0], 10);
  EXPECT_EQ(at(3, 1)[0], 1);
  layOver(picture, 4, 0, frame.data(), 4, 3, 16);  // wholly outside: nothing, no crash
  layOver(picture, -3, -2, frame.data(), 4, 3, 16);
  EXPECT_EQ(at(3, 0)[0], 10);
}

}  // namespace
}  // namespace saverkit::slideshow
