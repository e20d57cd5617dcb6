// The blurred backdrop; see the header. All arithmetic is in integers: the engine is a 32-bit
// program, where per-pixel floating point costs more than the whole rest.
#include "backdrop.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace saverkit::slideshow {
namespace {

// The grid keeps each channel in 256ths of a level, so the blur's rounding leaves no bands.
struct Grid {
  std::int32_t width = 0, height = 0;
  std::vector<std::int32_t> cells;  // blue, green, red per cell, row by row
  std::int32_t* at(std::int32_t x, std::int32_t y) { return &cells[(static_cast<std::size_t>(y) * width + x) * 3]; }
};

struct Region {
  std::int64_t left = 0, top = 0, width = 0, height = 0;
};

// The part of the picture that, scaled to cover the target, shows on it: all of one side, the
// middle of the other.
Region coveredRegion(const ConstPixelView& picture, const PixelView& target) {
  Region region{0, 0, picture.width, picture.height};
  if (std::int64_t{picture.width} * target.height > std::int64_t{picture.height} * target.width) {
    region.width = std::max<std::int64_t>(1, std::int64_t{picture.height} * target.width / target.height);
    region.left = (picture.width - region.width) / 2;
  } else {
    region.height = std::max<std::int64_t>(1, std::int64_t{picture.width} * target.height / target.width);
    region.top = (picture.height - region.height) / 2;
  }
  return region;
}

// Each cell's average over its share of the region. Larger pictures are sampled, at most about
// 8 samples a side per cell (the blur that follows hides the rest), each sampled row starting one
// pixel further along so that regular patterns do not beat with the step.
void averageInto(const ConstPixelView& picture, const Region& region, Grid& grid) {
  constexpr std::int64_t kSamples = 8;
  const std::int64_t stepX = std::max<std::int64_t>(1, (region.width / grid.width + kSamples - 1) / kSamples);
  const std::int64_t stepY = std::max<std::int64_t>(1, (region.height / grid.height + kSamples - 1) / kSamples);
  for (std::int32_t gy = 0; gy < grid.height; ++gy) {
    const std::int64_t y0 = region.top + region.height * gy / grid.height;
    const std::int64_t y1 = std::max(y0 + 1, region.top + region.height * (gy + 1) / grid.height);
    for (std::int32_t gx = 0; gx < grid.width; ++gx) {
      const std::int64_t x0 = region.left + region.width * gx / grid.width;
      const std::int64_t x1 = std::max(x0 + 1, region.left + region.width * (gx + 1) / grid.width);
      std::uint64_t sum[3] = {0, 0, 0}, count = 0;
      for (std::int64_t y = y0; y < y1; y += stepY) {
        const std::uint8_t* row = picture.pixels + y * picture.stride;
        for (std::int64_t x = x0 + (y / stepY) % stepX; x < x1; x += stepX, ++count) {
          sum[0] += row[x * 4], sum[1] += row[x * 4 + 1], sum[2] += row[x * 4 + 2];
        }
      }
      count = std::max<std::uint64_t>(count, 1);
      std::int32_t* cell = grid.at(gx, gy);
      for (int channel = 0; channel < 3; ++channel) cell[channel] = static_cast<std::int32_t>(sum[channel] * 256 / count);
    }
  }
}

// One box pass of `radius` cells along rows (`alongRows`) or columns, edges repeated.
void boxPass(Grid& grid, int radius, bool alongRows) {
  const std::int32_t length = alongRows ? grid.width : grid.height;
  const std::int32_t lines = alongRows ? grid.height : grid.width;
  std::vector<std::int32_t> line(static_cast<std::size_t>(length) * 3);
  const std::int32_t span = 2 * radius + 1;
  for (std::int32_t l = 0; l < lines; ++l) {
    auto cell = [&](std::int32_t i) {
      i = std::clamp(i, 0, length - 1);
      return alongRows ? grid.at(i, l) : grid.at(l, i);
    };
    for (std::int32_t i = 0; i < length; ++i) std::copy_n(cell(i), 3, &line[static_cast<std::size_t>(i) * 3]);
    auto saved = [&](std::int32_t i) { return &line[static_cast<std::size_t>(std::clamp(i, 0, length - 1)) * 3]; };
    std::int32_t sum[3] = {0, 0, 0};
    for (std::int32_t i = -radius; i <= radius; ++i) {
      for (int c = 0; c < 3; ++c) sum[c] += saved(i)[c];
    }
    for (std::int32_t i = 0; i < length; ++i) {
      std::int32_t* out = cell(i);
      for (int c = 0; c < 3; ++c) {
        out[c] = (sum[c] + span / 2) / span;
        sum[c] += saved(i + radius + 1)[c] - saved(i - radius)[c];
      }
    }
  }
}

// Where each target position falls between two grid cells: the first cell and the second's weight
// in 256ths, sampling at pixel centres.
struct Tap {
  std::int32_t first = 0, second = 0, weight = 0;
};
std::vector<Tap> tapsFor(std::int32_t targetLength, std::int32_t gridLength) {
  std::vector<Tap> taps(static_cast<std::size_t>(targetLength));
  for (std::int32_t i = 0; i < targetLength; ++i) {
    // (i + 0.5) * grid / target - 0.5, in 256ths.
    const std::int64_t position = ((2 * std::int64_t{i} + 1) * gridLength * 256 / targetLength - 256) / 2;
    const std::int64_t clamped = std::clamp<std::int64_t>(position, 0, (gridLength - 1) * std::int64_t{256});
    const auto first = static_cast<std::int32_t>(clamped / 256);
    taps[static_cast<std::size_t>(i)] = {first, std::min(first + 1, gridLength - 1), static_cast<std::int32_t>(clamped % 256)};
  }
  return taps;
}

// Bilinear from the grid into the target, darkened on the way.
void scaleUp(Grid& grid, const PixelView& target) {
  const std::vector<Tap> columns = tapsFor(target.width, grid.width);
  const std::vector<Tap> rows = tapsFor(target.height, grid.height);
  std::vector<std::int32_t> blended(static_cast<std::size_t>(grid.width) * 3);
  for (std::int32_t y = 0; y < target.height; ++y) {
    const Tap& row = rows[static_cast<std::size_t>(y)];
    // The two grid rows mixed once per target row, darkened: levels in 256ths again.
    for (std::int32_t gx = 0; gx < grid.width; ++gx) {
      const std::int32_t* upper = grid.at(gx, row.first);
      const std::int32_t* lower = grid.at(gx, row.second);
      for (int c = 0; c < 3; ++c) {
        const std::int32_t mixed = (upper[c] * (256 - row.weight) + lower[c] * row.weight) >> 8;
        blended[static_cast<std::size_t>(gx) * 3 + c] = mixed * kBackdropBrightness >> 8;
      }
    }
    std::uint8_t* out = target.pixels + static_cast<std::ptrdiff_t>(y) * target.stride;
    const std::int32_t* cells = blended.data();
    for (const Tap& column : columns) {
      const std::int32_t* left = cells + column.first * 3;
      const std::int32_t* right = cells + column.second * 3;
      const std::int32_t weight = column.weight;
      // One multiply a channel: left + (right - left) * weight, rounded, in 65536ths of a level.
      const auto level = [&](int c) {
        return static_cast<std::uint32_t>((left[c] * 256 + (right[c] - left[c]) * weight + (1 << 15)) >> 16);
      };
      const std::uint32_t pixel = level(0) | level(1) << 8 | level(2) << 16;
      std::memcpy(out, &pixel, 4);  // little-endian: blue, green, red, then the unused byte as 0
      out += 4;
    }
  }
}

bool isEmpty(std::int32_t width, std::int32_t height, std::int32_t stride, const void* pixels) {
  return pixels == nullptr || width <= 0 || height <= 0 || stride < width * 4;
}

}  // namespace

void paintBlurredBackdrop(ConstPixelView picture, PixelView target) {
  if (isEmpty(picture.width, picture.height, picture.stride, picture.pixels) ||
      isEmpty(target.width, target.height, target.stride, target.pixels)) {
    return;
  }
  Grid grid;
  grid.width = (target.width + kBackdropCellSize - 1) / kBackdropCellSize;
  grid.height = (target.height + kBackdropCellSize - 1) / kBackdropCellSize;
  grid.cells.resize(static_cast<std::size_t>(grid.width) * grid.height * 3);
  averageInto(picture, coveredRegion(picture, target), grid);
  // Three box passes each way come close to a Gaussian of about three and a half cells.
  constexpr int kRadius = 3;
  for (int pass = 0; pass < 3; ++pass) {
    boxPass(grid, kRadius, true);
    boxPass(grid, kRadius, false);
  }
  scaleUp(grid, target);
}

}  // namespace saverkit::slideshow
