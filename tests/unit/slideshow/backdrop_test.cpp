// The blurred backdrop: it covers the whole target with the picture's own colours, darkened, with
// no visible steps, keeps left and right where they were, and takes any size from one pixel up.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "backdrop.h"

namespace saverkit::slideshow {
namespace {

struct Pixels {
  std::int32_t width, height, stride;
  std::vector<std::uint8_t> bytes;
  // Rows padded beyond their pixels, as a bitmap's may be; the padding must stay untouched.
  Pixels(std::int32_t w, std::int32_t h, std::uint8_t fill = 0xEE)
      : width(w), height(h), stride(w * 4 + 8), bytes(static_cast<std::size_t>(stride) * h, fill) {}
  std::uint8_t* at(std::int32_t x, std::int32_t y) { return &bytes[static_cast<std::size_t>(y) * stride + x * 4]; }
  void paint(const std::function<std::uint32_t(std::int32_t, std::int32_t)>& colour) {
    for (std::int32_t y = 0; y < height; ++y) {
      for (std::int32_t x = 0; x < width; ++x) {
        const std::uint32_t bgr = colour(x, y);
        at(x, y)[0] = bgr & 0xFF, at(x, y)[1] = bgr >> 8 & 0xFF, at(x, y)[2] = bgr >> 16 & 0xFF;
      }
    }
  }
  ConstPixelView view() const { return {bytes.data(), width, height, stride}; }
  PixelView view() { return {bytes.data(), width, height, stride}; }
};

Pixels backdropOf(const Pixels& picture, std::int32_t width, std::int32_t height) {
  Pixels target(width, height);
  paintBlurredBackdrop(static_cast<const Pixels&>(picture).view(), target.view());
  return target;
}

int darkened(int level) { return (level * kBackdropBrightness + 128) / 256; }

TEST(BlurredBackdrop, OneColourGivesThatColourDarkenedOnEveryPixel) {
  const struct {
    std::int32_t pictureWidth, pictureHeight, targetWidth, targetHeight;
  } shapes[] = {{64, 48, 640, 360}, {1, 1, 333, 211}, {1, 500, 400, 300}, {700, 1, 300, 400},
                {3000, 2000, 97, 1}, {5, 5, 1, 1}, {800, 600, 25, 1000}};
  for (const auto& shape : shapes) {
    SCOPED_TRACE(std::to_string(shape.pictureWidth) + "x" + std::to_string(shape.pictureHeight) + " on " +
                 std::to_string(shape.targetWidth) + "x" + std::to_string(shape.targetHeight));
    Pixels picture(shape.pictureWidth, shape.pictureHeight);
    picture.paint([](std::int32_t, std::int32_t) { return 0x30A0F0u; });
    Pixels target = backdropOf(picture, shape.targetWidth, shape.targetHeight);
    int wrong = 0;
    for (std::int32_t y = 0; y < target.height; ++y) {
      for (std::int32_t x = 0; x < target.width; ++x) {
        const std::uint8_t* pixel = target.at(x, y);
        wrong += std::abs(pixel[0] - darkened(0xF0)) > 1 || std::abs(pixel[1] - darkened(0xA0)) > 1 ||
                 std::abs(pixel[2] - darkened(0x30)) > 1 || pixel[3] != 0;
      }
      // The row's padding is not the target's.
      for (std::int32_t pad = target.width * 4; pad < target.stride; ++pad) {
        wrong += target.bytes[static_cast<std::size_t>(y) * target.stride + pad] != 0xEE;
      }
    }
    EXPECT_EQ(wrong, 0);
  }
}

TEST(BlurredBackdrop, SharpStripesBecomeASmoothWash) {
  // Wide and narrow stripes, across and down, pictures smaller and larger than the target.
  const struct {
    std::int32_t width, height, period;
    bool vertical;
  } pictures[] = {{320, 180, 40, true}, {320, 180, 2, true}, {2400, 1350, 300, false}, {2400, 1350, 8, true}};
  for (const auto& p : pictures) {
    SCOPED_TRACE(std::to_string(p.width) + " period " + std::to_string(p.period) + (p.vertical ? " upright" : " lying"));
    Pixels picture(p.width, p.height);
    picture.paint([&](std::int32_t x, std::int32_t y) {
      return ((p.vertical ? x : y) / (p.period / 2)) % 2 ? 0xFFFFFFu : 0u;
    });
    const Pixels target = backdropOf(picture, 960, 540);
    int largestStep = 0, darkest = 255, lightest = 0;
    for (std::int32_t y = 0; y < target.height; ++y) {
      for (std::int32_t x = 0; x < target.width; ++x) {
        const int level = target.bytes[static_cast<std::size_t>(y) * target.stride + x * 4 + 1];
        darkest = std::min(darkest, level), lightest = std::max(lightest, level);
        if (x > 0) largestStep = std::max(largestStep, std::abs(level - target.bytes[static_cast<std::size_t>(y) * target.stride + x * 4 - 3]));
        if (y > 0) largestStep = std::max(largestStep, std::abs(level - target.bytes[static_cast<std::size_t>(y - 1) * target.stride + x * 4 + 1]));
      }
    }
    EXPECT_LE(largestStep, 2);
    // Black and white stripes average to a middle grey, not to either.
    EXPECT_GT(darkest, darkened(40));
    EXPECT_LT(lightest, darkened(215));
  }
}

TEST(BlurredBackdrop, KeepsLeftAndRightAndCoversTheTargetCentred) {
  // Left half red, right half blue, on a wider, a taller and a square target.
  Pixels picture(400, 300);
  picture.paint([](std::int32_t x, std::int32_t) { return x < 200 ? 0xFF0000u : 0x0000FFu; });
  for (const auto& [width, height] : {std::pair{1280, 720}, std::pair{600, 1000}, std::pair{500, 500}}) {
    SCOPED_TRACE(std::to_string(width) + "x" + std::to_string(height));
    Pixels target = backdropOf(picture, width, height);
    for (std::int32_t y : {0, height / 2, height - 1}) {
      const std::uint8_t* left = target.at(0, y);
      const std::uint8_t* right = target.at(width - 1, y);
      EXPECT_GT(left[2], darkened(200));  // red
      EXPECT_LT(left[0], darkened(55));
      EXPECT_GT(right[0], darkened(200));  // blue
      EXPECT_LT(right[2], darkened(55));
      // Mirror places mix to the same purple: the picture's middle stays in the target's middle.
      const std::uint8_t* middle = target.at(width / 2, y);
      EXPECT_LE(std::abs(middle[0] - middle[2]), 3);
    }
  }
}

TEST(BlurredBackdrop, EmptyPicturesAndTargetsAreLeftAlone) {
  Pixels picture(10, 10, 0x80);
  Pixels target(10, 10);
  const std::vector<std::uint8_t> before = target.bytes;
  paintBlurredBackdrop({}, target.view());
  paintBlurredBackdrop({picture.bytes.data(), 0, 10, picture.stride}, target.view());
  paintBlurredBackdrop({picture.bytes.data(), 10, -1, picture.stride}, target.view());
  paintBlurredBackdrop({picture.bytes.data(), 10, 10, 8}, target.view());  // rows overlapping
  EXPECT_EQ(target.bytes, before);
  paintBlurredBackdrop(static_cast<const Pixels&>(picture).view(), {});
  paintBlurredBackdrop(static_cast<const Pixels&>(picture).view(), {target.bytes.data(), 10, 0, target.stride});
  EXPECT_EQ(target.bytes, before);
}

}  // namespace
}  // namespace saverkit::slideshow
