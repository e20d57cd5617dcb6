// Where a picture goes (fit and fill), and the show's mouse and fade rules.
#include <gtest/gtest.h>

#include <limits>

#include "placement.h"
#include "show_rules.h"

namespace saverkit::slideshow {
namespace {

struct Row {
  std::int32_t width, height;
  Box target;
  Scaling scaling;
  Box expected;
};

TEST(PlacePicture, FitsInsideAndFillsOverCentred) {
  const Box screen{0, 0, 1024, 768};
  const Row rows[] = {
      // The same aspect fills the target either way, small pictures grow.
      {320, 240, screen, Scaling::kFit, {0, 0, 1024, 768}},
      {320, 240, screen, Scaling::kFill, {0, 0, 1024, 768}},
      // Wide: bars above and below, or cropped at the sides.
      {1600, 600, screen, Scaling::kFit, {0, 192, 1024, 384}},
      {1600, 600, screen, Scaling::kFill, {-512, 0, 2048, 768}},
      // Tall: bars at the sides, or cropped above and below.
      {300, 600, screen, Scaling::kFit, {320, 0, 384, 768}},
      {300, 600, screen, Scaling::kFill, {0, -640, 1024, 2048}},
      // A second monitor's box keeps its offset.
      {100, 100, {1024, -100, 800, 600}, Scaling::kFit, {1124, -100, 600, 600}},
      // A hair-thin picture keeps at least one pixel.
      {10000, 1, screen, Scaling::kFit, {0, 383, 1024, 1}},
      // Empty inputs place nothing.
      {0, 100, screen, Scaling::kFit, {0, 0, 0, 0}},
      {100, 100, {5, 6, 0, 768}, Scaling::kFill, {5, 6, 0, 0}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::to_string(row.width) + "x" + std::to_string(row.height));
    const Box box = placePicture(row.width, row.height, row.target, row.scaling);
    EXPECT_EQ(box.left, row.expected.left);
    EXPECT_EQ(box.top, row.expected.top);
    EXPECT_EQ(box.width, row.expected.width);
    EXPECT_EQ(box.height, row.expected.height);
  }
}

TEST(PlacePicture, ExtremeAspectsDoNotOverflow) {
  const std::int32_t most = std::numeric_limits<std::int32_t>::max();
  const Box filled = placePicture(1, most, {0, 0, 1920, 1080}, Scaling::kFill);
  EXPECT_EQ(filled.width, 1920);
  EXPECT_EQ(filled.height, most);  // clamped, not wrapped round to a negative size
  EXPECT_LE(filled.top, 0);
}

TEST(MouseWatch, TheFirstMessageOnlySaysWhereThePointerIs) {
  MouseWatch watch;
  EXPECT_FALSE(watch.endsShow(500, 400));  // wherever it is, the first one never ends the show
  EXPECT_FALSE(watch.endsShow(504, 396));  // jitter within the threshold
  EXPECT_TRUE(watch.endsShow(505, 400));
  EXPECT_TRUE(watch.endsShow(500, 394));
  MouseWatch other;
  other.endsShow(0, 0);
  EXPECT_TRUE(other.endsShow(-5, 0));
}

TEST(CrossFadeAlpha, RisesToOpaque) {
  EXPECT_EQ(crossFadeAlpha(0, 700), 0);
  EXPECT_EQ(crossFadeAlpha(350, 700), 127);
  EXPECT_EQ(crossFadeAlpha(699, 700), 254);
  EXPECT_EQ(crossFadeAlpha(700, 700), 255);
  EXPECT_EQ(crossFadeAlpha(std::uint64_t{1} << 40, 700), 255);
  EXPECT_EQ(crossFadeAlpha(0, 0), 255);
}

}  // namespace
}  // namespace saverkit::slideshow
