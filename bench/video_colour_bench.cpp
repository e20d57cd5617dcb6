// A video frame turned from NV12 into the engine's pixels: once per frame per monitor on the
// motion thread, 30 or 60 times a second. Frames of 1920x1080 and 3840x2160, the vector path
// against the plain one it must match.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "video_colour.h"

namespace {

void convert(benchmark::State& state, bool vector) {
  const std::int32_t width = static_cast<std::int32_t>(state.range(0)), height = static_cast<std::int32_t>(state.range(1));
  std::vector<std::uint8_t> luma(static_cast<std::size_t>(width) * height), chroma(luma.size() / 2);
  std::uint32_t noise = 2026;
  for (auto& byte : luma) byte = static_cast<std::uint8_t>((noise = noise * 1664525u + 1013904223u) >> 24);
  for (auto& byte : chroma) byte = static_cast<std::uint8_t>((noise = noise * 1664525u + 1013904223u) >> 24);
  std::vector<std::uint8_t> out(static_cast<std::size_t>(width) * height * 4);
  const saverkit::slideshow::Nv12Frame frame{luma.data(), width, chroma.data(), width, width, height};
  const saverkit::slideshow::ColourSpace space{saverkit::slideshow::ColourMatrix::kBt709, false};
  for (auto _ : state) {
    if (vector) saverkit::slideshow::convertNv12(frame, space, out.data(), width * 4);
    else saverkit::slideshow::convertNv12Plain(frame, space, out.data(), width * 4);
    benchmark::DoNotOptimize(out.data());
  }
  state.counters["frames_per_s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void vectorPath(benchmark::State& state) { convert(state, true); }
void plainPath(benchmark::State& state) { convert(state, false); }

BENCHMARK(vectorPath)->ArgNames({"w", "h"})->Args({1920, 1080})->Args({3840, 2160})->Unit(benchmark::kMillisecond);
BENCHMARK(plainPath)->ArgNames({"w", "h"})->Args({1920, 1080})->Args({3840, 2160})->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
