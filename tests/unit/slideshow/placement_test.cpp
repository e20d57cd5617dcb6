// Where a picture goes (fit and fill), and the show's mouse and fade rules.
#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <vector>

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
      // Tall: bars at the sides either way: filling would cut a portrait down to a middle band.
      {300, 600, screen, Scaling::kFit, {320, 0, 384, 768}},
      {300, 600, screen, Scaling::kFill, {320, 0, 384, 768}},
      // A portrait screen: a portrait picture fills it, a landscape one is fitted; a square
      // picture is neither and fills.
      {600, 900, {0, 0, 800, 1280}, Scaling::kFill, {-26, 0, 853, 1280}},
      {900, 600, {0, 0, 800, 1280}, Scaling::kFill, {0, 373, 800, 533}},
      {500, 500, screen, Scaling::kFill, {0, -128, 1024, 1024}},
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
  const Box filled = placePicture(most, 2, {0, 0, 1920, 1080}, Scaling::kFill);
  EXPECT_EQ(filled.height, 1080);
  EXPECT_EQ(filled.width, most);  // clamped, not wrapped round to a negative size
  EXPECT_LE(filled.left, 0);
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

namespace saverkit::slideshow {
namespace {

// A picture as rows of cells, each cell naming its place in the upright picture.
using Cells = std::vector<std::vector<int>>;

Cells mirrored(const Cells& picture) {
  Cells out = picture;
  for (auto& row : out) std::reverse(row.begin(), row.end());
  return out;
}

Cells turnedClockwise(const Cells& picture) {
  const std::size_t height = picture.size(), width = picture[0].size();
  Cells out(width, std::vector<int>(height));
  for (std::size_t y = 0; y < width; ++y) {
    for (std::size_t x = 0; x < height; ++x) out[y][x] = picture[height - 1 - x][y];
  }
  return out;
}

// How a camera stores the upright picture for each orientation, from the tag's definition: where
// the stored picture's first row and first column lie in the upright one.
Cells storedAs(int orientation, const Cells& upright) {
  const int height = static_cast<int>(upright.size()), width = static_cast<int>(upright[0].size());
  const bool across = orientation >= 5 && orientation <= 8;
  Cells stored(static_cast<std::size_t>(across ? width : height), std::vector<int>(static_cast<std::size_t>(across ? height : width)));
  for (int sy = 0; sy < static_cast<int>(stored.size()); ++sy) {
    for (int sx = 0; sx < static_cast<int>(stored[0].size()); ++sx) {
      int x = sx, y = sy;
      switch (orientation) {
        case 2: x = width - 1 - sx; break;
        case 3: x = width - 1 - sx, y = height - 1 - sy; break;
        case 4: y = height - 1 - sy; break;
        case 5: x = sy, y = sx; break;                            // first row left, first column top
        case 6: x = width - 1 - sy, y = sx; break;                // first row right, first column top
        case 7: x = width - 1 - sy, y = height - 1 - sx; break;   // first row right, first column bottom
        case 8: x = sy, y = height - 1 - sx; break;               // first row left, first column bottom
        default: break;
      }
      stored[static_cast<std::size_t>(sy)][static_cast<std::size_t>(sx)] = upright[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)];
    }
  }
  return stored;
}

TEST(Uprighting, EveryOrientationComesOutUpright) {
  const Cells upright = {{0, 1, 2}, {3, 4, 5}};  // three wide, two high: no turn leaves it alike
  for (int orientation = 0; orientation <= 9; ++orientation) {
    SCOPED_TRACE(orientation);
    const Uprighting fix = uprightingFor(orientation);
    Cells picture = storedAs(orientation, upright);
    EXPECT_EQ(fix.swapsSides(), picture.size() != upright.size());
    if (fix.mirrored) picture = mirrored(picture);
    for (int turn = 0; turn < fix.quarterTurns; ++turn) picture = turnedClockwise(picture);
    EXPECT_EQ(picture, upright);
  }
  EXPECT_EQ(uprightingFor(65535).quarterTurns, 0);
  EXPECT_FALSE(uprightingFor(-6).mirrored);
}

}  // namespace
}  // namespace saverkit::slideshow

namespace saverkit::slideshow {
namespace {

TEST(MonitorFor, APictureGoesToAFreeMonitorOfItsShapeElseTheFirstFree) {
  const Box landscape{0, 0, 1920, 1080}, portrait{-1080, 0, 1080, 1920}, other{1920, 0, 1280, 800};
  const std::vector<Box> monitors{landscape, portrait, other};
  // Portrait goes past the landscape primary; landscape stays on it; square takes the first free.
  EXPECT_EQ(monitorFor(3000, 4500, monitors, {false, false, false}), 1u);
  EXPECT_EQ(monitorFor(6000, 4000, monitors, {false, false, false}), 0u);
  EXPECT_EQ(monitorFor(500, 500, monitors, {false, false, false}), 0u);
  // Taken monitors are passed over, down to the last free one, whatever its shape.
  EXPECT_EQ(monitorFor(6000, 4000, monitors, {true, false, false}), 2u);
  EXPECT_EQ(monitorFor(3000, 4500, monitors, {false, true, false}), 0u);
  EXPECT_EQ(monitorFor(6000, 4000, monitors, {true, false, true}), 1u);
  EXPECT_EQ(monitorFor(6000, 4000, monitors, {true, true, true}), 3u);
  EXPECT_EQ(monitorFor(6000, 4000, {}, {}), 0u);
}

}  // namespace
}  // namespace saverkit::slideshow
