// Picture composition; see the header.
#include "compose.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace saverkit::slideshow {

Pixels uprightPixels(const Pixels& stored, const Uprighting& fix) {
  if (fix.quarterTurns % 4 == 0 && !fix.mirrored) return stored;
  Pixels upright;
  const std::int32_t w = stored.width, h = stored.height;
  upright.width = fix.swapsSides() ? h : w;
  upright.height = fix.swapsSides() ? w : h;
  upright.bytes.resize(stored.bytes.size());
  const auto* source = reinterpret_cast<const std::uint32_t*>(stored.bytes.data());
  auto* target = reinterpret_cast<std::uint32_t*>(upright.bytes.data());
  // Each upright pixel (x, y) fetches the stored pixel it came from: undo the turn, then the mirror.
  for (std::int32_t y = 0; y < upright.height; ++y) {
    for (std::int32_t x = 0; x < upright.width; ++x) {
      std::int32_t sx = x, sy = y;
      switch (fix.quarterTurns % 4) {
        case 1: sx = y; sy = h - 1 - x; break;
        case 2: sx = w - 1 - x; sy = h - 1 - y; break;
        case 3: sx = w - 1 - y; sy = x; break;
        default: break;
      }
      if (fix.mirrored) sx = w - 1 - sx;
      target[std::size_t(y) * std::size_t(upright.width) + std::size_t(x)] =
          source[std::size_t(sy) * std::size_t(w) + std::size_t(sx)];
    }
  }
  return upright;
}

void layOver(const Pixels& picture, std::int32_t left, std::int32_t top, std::uint8_t* frame,
             std::int32_t frameWidth, std::int32_t frameHeight, std::int32_t frameStride) {
  const std::int32_t x0 = std::max(left, 0), y0 = std::max(top, 0);
  const std::int32_t x1 = static_cast<std::int32_t>(std::min<std::int64_t>(std::int64_t{left} + picture.width, frameWidth));
  const std::int32_t y1 = static_cast<std::int32_t>(std::min<std::int64_t>(std::int64_t{top} + picture.height, frameHeight));
  if (x0 >= x1 || y0 >= y1) return;
  for (std::int32_t y = y0; y < y1; ++y) {
    const std::uint8_t* from = picture.bytes.data() + (std::size_t(y - top) * std::size_t(picture.width) + std::size_t(x0 - left)) * 4;
    std::uint8_t* to = frame + std::size_t(y) * std::size_t(frameStride) + std::size_t(x0) * 4;
    for (std::int32_t x = x0; x < x1; ++x, from += 4, to += 4) {
      const std::uint32_t alpha = from[3];
      if (alpha == 255) {
        std::memcpy(to, from, 4);
      } else if (alpha != 0) {
        for (int c = 0; c < 3; ++c) to[c] = static_cast<std::uint8_t>(from[c] + (to[c] * (255 - alpha) + 127) / 255);
      }
    }
  }
}

}  // namespace saverkit::slideshow

namespace saverkit::slideshow {

constexpr std::int32_t kWeightOne = 1 << 14;

std::vector<PictureScaler::Tap> PictureScaler::taps(std::int32_t in, std::int32_t out) {
  std::vector<Tap> result(static_cast<std::size_t>(out));
  const double scale = double(in) / double(out), support = std::max(1.0, scale);
  for (std::int32_t o = 0; o < out; ++o) {
    const double centre = (o + 0.5) * scale - 0.5;
    const std::int32_t first = std::max(0, static_cast<std::int32_t>(std::floor(centre - support)) + 1);
    const std::int32_t last = std::min(in - 1, static_cast<std::int32_t>(std::ceil(centre + support)) - 1);
    std::vector<double> raw;
    double total = 0;
    for (std::int32_t i = first; i <= std::max(first, last); ++i) {
      const double weight = std::max(0.0, 1.0 - std::abs(i - centre) / support);
      raw.push_back(weight);
      total += weight;
    }
    Tap& tap = result[static_cast<std::size_t>(o)];
    tap.first = first;
    if (total <= 0) {
      raw.assign(1, 1.0);
      total = 1.0;
    }
    // Rounded weights that still add up to exactly one, so a flat colour stays that colour.
    std::int32_t given = 0;
    for (double weight : raw) {
      tap.weights.push_back(static_cast<std::int32_t>(weight / total * kWeightOne + 0.5));
      given += tap.weights.back();
    }
    const auto largest = std::max_element(tap.weights.begin(), tap.weights.end());
    *largest += kWeightOne - given;
  }
  return result;
}

PictureScaler::PictureScaler(std::int32_t inWidth, std::int32_t inHeight, std::int32_t outWidth, std::int32_t outHeight)
    : inWidth_(std::max(inWidth, 1)), inHeight_(std::max(inHeight, 1)), outWidth_(std::max(outWidth, 1)),
      outHeight_(std::max(outHeight, 1)), columns_(taps(inWidth_, outWidth_)), rows_(taps(inHeight_, outHeight_)) {
  for (const Tap& tap : rows_) window_ = std::max(window_, tap.weights.size());
  narrowed_.resize(window_ * std::size_t(outWidth_) * 4);
  sums_.resize(std::size_t(outWidth_) * 4);
  out_ = {outWidth_, outHeight_, std::vector<std::uint8_t>(std::size_t(outWidth_) * std::size_t(outHeight_) * 4, 0)};
}

void PictureScaler::addRows(const std::uint8_t* rows, std::int32_t count, std::int32_t stride) {
  const std::size_t rowBytes = std::size_t(outWidth_) * 4;
  for (std::int32_t r = 0; r < count && rowsIn_ < inHeight_; ++r) {
    const std::uint8_t* in = rows + std::size_t(r) * std::size_t(stride);
    std::uint8_t* out = narrowed_.data() + (std::size_t(rowsIn_) % window_) * rowBytes;
    for (const Tap& tap : columns_) {
      std::int32_t sum[4] = {kWeightOne / 2, kWeightOne / 2, kWeightOne / 2, kWeightOne / 2};
      const std::uint8_t* pixel = in + std::size_t(tap.first) * 4;
      for (std::int32_t weight : tap.weights) {
        for (int c = 0; c < 4; ++c) sum[c] += pixel[c] * weight;
        pixel += 4;
      }
      for (int c = 0; c < 4; ++c) *out++ = static_cast<std::uint8_t>(std::clamp(sum[c] >> 14, 0, 255));
    }
    ++rowsIn_;
    // Every output row whose last input row is in; the taps only move down, so the rows it
    // takes are still among the last window_.
    while (rowsOut_ < outHeight_) {
      const Tap& tap = rows_[static_cast<std::size_t>(rowsOut_)];
      if (tap.first + static_cast<std::int32_t>(tap.weights.size()) > rowsIn_) break;
      makeRow(rowsOut_++);
    }
  }
}

void PictureScaler::makeRow(std::int32_t y) {
  const std::size_t rowBytes = std::size_t(outWidth_) * 4;
  const Tap& tap = rows_[static_cast<std::size_t>(y)];
  std::fill(sums_.begin(), sums_.end(), kWeightOne / 2);
  for (std::size_t t = 0; t < tap.weights.size(); ++t) {
    const std::uint8_t* row = narrowed_.data() + (std::size_t(tap.first) + t) % window_ * rowBytes;
    const std::int32_t weight = tap.weights[t];
    for (std::size_t i = 0; i < rowBytes; ++i) sums_[i] += row[i] * weight;
  }
  std::uint8_t* out = out_.bytes.data() + std::size_t(y) * rowBytes;
  for (std::size_t i = 0; i < rowBytes; ++i) out[i] = static_cast<std::uint8_t>(std::clamp(sums_[i] >> 14, 0, 255));
}

Pixels PictureScaler::finish() { return std::move(out_); }

}  // namespace saverkit::slideshow
