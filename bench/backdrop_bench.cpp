// The blurred backdrop behind a picture shown whole: one call per monitor per picture on the
// show's worker. Targets of 1920x1080 and 3840x2160; pictures of a phone's 4000x3000 photo and of
// one already scaled to the screen's height (1440x1080), with noise so no cache is kind to it.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "backdrop.h"

namespace {

struct Bitmap {
  std::int32_t width, height;
  std::vector<std::uint8_t> bytes;
  Bitmap(std::int32_t w, std::int32_t h) : width(w), height(h), bytes(static_cast<std::size_t>(w) * h * 4) {
    std::uint32_t state = 12345;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
      state = state * 1664525u + 1013904223u;
      bytes[i] = static_cast<std::uint8_t>((i / 4 % static_cast<std::size_t>(w)) * 255 / w + (state >> 28));
    }
  }
};

void backdrop(benchmark::State& state) {
  const Bitmap picture(static_cast<std::int32_t>(state.range(2)), static_cast<std::int32_t>(state.range(3)));
  Bitmap target(static_cast<std::int32_t>(state.range(0)), static_cast<std::int32_t>(state.range(1)));
  for (auto _ : state) {
    saverkit::slideshow::paintBlurredBackdrop({picture.bytes.data(), picture.width, picture.height, picture.width * 4},
                                              {target.bytes.data(), target.width, target.height, target.width * 4});
    benchmark::DoNotOptimize(target.bytes.data());
  }
  state.counters["target_MP"] = static_cast<double>(target.width) * target.height / 1e6;
}

BENCHMARK(backdrop)
    ->ArgNames({"target_w", "target_h", "picture_w", "picture_h"})
    ->Args({1920, 1080, 1440, 1080})
    ->Args({1920, 1080, 4000, 3000})
    ->Args({3840, 2160, 2880, 2160})
    ->Args({3840, 2160, 4000, 3000})
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
