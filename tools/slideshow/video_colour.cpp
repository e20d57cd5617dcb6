// NV12 to BGRA; see the header.
#include "video_colour.h"

#include <algorithm>
#include <cmath>

#if defined(__GNUC__) && (defined(__i386__) || defined(__x86_64__))
#include <cpuid.h>
#include <emmintrin.h>
#define SAVERKIT_HAVE_SSE2_PATH 1
#endif

namespace saverkit::slideshow {
namespace {

// The conversion's factors: luma's offset and its gain (scaled by 32768, for the precision a
// gain near 1.16 needs), and, scaled by 64, what each difference adds to red, takes from green
// and adds to blue.
struct Factors {
  std::uint16_t lumaGain;
  std::int16_t lumaOffset, redFromV, greenFromU, greenFromV, blueFromU;
};

Factors factorsFor(ColourSpace space) {
  const double kr = space.matrix == ColourMatrix::kBt709 ? 0.2126 : 0.299;
  const double kb = space.matrix == ColourMatrix::kBt709 ? 0.0722 : 0.114;
  const double kg = 1.0 - kr - kb;
  // Limited range stretches 219 luma steps and 224 difference steps over 255.
  const double lumaScale = space.fullRange ? 1.0 : 255.0 / 219.0;
  const double chromaScale = space.fullRange ? 1.0 : 255.0 / 224.0;
  const auto q6 = [](double value) { return static_cast<std::int16_t>(std::lround(value * 64.0)); };
  return {static_cast<std::uint16_t>(std::lround(lumaScale * 32768.0)),
          static_cast<std::int16_t>(space.fullRange ? 0 : 16),
          q6(2.0 * (1.0 - kr) * chromaScale),
          q6(2.0 * kb * (1.0 - kb) / kg * chromaScale),
          q6(2.0 * kr * (1.0 - kr) / kg * chromaScale),
          q6(2.0 * (1.0 - kb) * chromaScale)};
}

// 16-bit sums saturate exactly as the vector path's do, so both paths clamp alike.
int saturated(int value) { return std::clamp(value, -32768, 32767); }
std::uint8_t toByte(int value) { return static_cast<std::uint8_t>(std::clamp(saturated(value) >> 6, 0, 255)); }

void convertPixels(const Factors& f, const std::uint8_t* luma, const std::uint8_t* chroma, std::int32_t from,
                   std::int32_t to, std::uint8_t* out) {
  for (std::int32_t x = from; x < to; ++x) {
    // Luma below black is black; luma times 128 times the gain, over 65536, is luma times 64.
    const int y = static_cast<int>((std::uint32_t(std::max(luma[x] - f.lumaOffset, 0)) << 7) * f.lumaGain >> 16) + 32;
    const int u = chroma[(x & ~1)] - 128, v = chroma[(x & ~1) + 1] - 128;
    std::uint8_t* pixel = out + x * 4;
    pixel[0] = toByte(y + saturated(u * f.blueFromU));
    pixel[1] = toByte(saturated(y - saturated(u * f.greenFromU)) - saturated(v * f.greenFromV));
    pixel[2] = toByte(y + saturated(v * f.redFromV));
    pixel[3] = 255;
  }
}

#ifdef SAVERKIT_HAVE_SSE2_PATH
// Eight pixels at a time: their luma, and the four difference pairs they share. A 32-bit thread's
// stack is only 4-byte aligned on Windows, and the 16-byte values this keeps there need more.
__attribute__((target("sse2"), force_align_arg_pointer)) std::int32_t convertRowSse2(const Factors& f, const std::uint8_t* luma,
                                                             const std::uint8_t* chroma, std::int32_t width,
                                                             std::uint8_t* out) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i gain = _mm_set1_epi16(static_cast<std::int16_t>(f.lumaGain)), offset = _mm_set1_epi16(f.lumaOffset);
  const __m128i half = _mm_set1_epi16(128), rounding = _mm_set1_epi16(32), opaque = _mm_set1_epi8(-1);
  const __m128i redFromV = _mm_set1_epi16(f.redFromV), blueFromU = _mm_set1_epi16(f.blueFromU);
  const __m128i greenFromU = _mm_set1_epi16(f.greenFromU), greenFromV = _mm_set1_epi16(f.greenFromV);
  const __m128i lowWords = _mm_set1_epi32(0xFFFF);
  std::int32_t x = 0;
  for (; x + 8 <= width; x += 8) {
    const __m128i y16 = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(luma + x)), zero);
    const __m128i y = _mm_add_epi16(_mm_mulhi_epu16(_mm_slli_epi16(_mm_subs_epu16(y16, offset), 7), gain), rounding);
    const __m128i pairs = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(chroma + x)), zero);
    // Each pair's U and V, each given to both pixels of the pair.
    const __m128i u1 = _mm_and_si128(pairs, lowWords), v1 = _mm_srli_epi32(pairs, 16);
    const __m128i u = _mm_sub_epi16(_mm_or_si128(u1, _mm_slli_epi32(u1, 16)), half);
    const __m128i v = _mm_sub_epi16(_mm_or_si128(v1, _mm_slli_epi32(v1, 16)), half);
    const __m128i blue = _mm_srai_epi16(_mm_adds_epi16(y, _mm_mullo_epi16(u, blueFromU)), 6);
    const __m128i green = _mm_srai_epi16(
        _mm_subs_epi16(_mm_subs_epi16(y, _mm_mullo_epi16(u, greenFromU)), _mm_mullo_epi16(v, greenFromV)), 6);
    const __m128i red = _mm_srai_epi16(_mm_adds_epi16(y, _mm_mullo_epi16(v, redFromV)), 6);
    const __m128i blueGreen = _mm_unpacklo_epi8(_mm_packus_epi16(blue, zero), _mm_packus_epi16(green, zero));
    const __m128i redAlpha = _mm_unpacklo_epi8(_mm_packus_epi16(red, zero), opaque);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x * 4), _mm_unpacklo_epi16(blueGreen, redAlpha));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x * 4 + 16), _mm_unpackhi_epi16(blueGreen, redAlpha));
  }
  return x;
}

bool hasSse2() {
#if defined(__x86_64__)
  return true;
#else
  // Asked of the processor itself: the compiler's own feature table costs the engine 5 KB.
  static const bool present = [] {
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    return __get_cpuid(1, &eax, &ebx, &ecx, &edx) && (edx & bit_SSE2) != 0;
  }();
  return present;
#endif
}
#endif

void convert(const Nv12Frame& frame, ColourSpace space, std::uint8_t* bgra, std::int32_t stride, bool vector) {
  const Factors factors = factorsFor(space);
  for (std::int32_t row = 0; row < frame.height; ++row) {
    const std::uint8_t* luma = frame.luma + std::ptrdiff_t{row} * frame.lumaStride;
    const std::uint8_t* chroma = frame.chroma + std::ptrdiff_t{row / 2} * frame.chromaStride;
    std::uint8_t* out = bgra + std::ptrdiff_t{row} * stride;
    std::int32_t done = 0;
#ifdef SAVERKIT_HAVE_SSE2_PATH
    if (vector) done = convertRowSse2(factors, luma, chroma, frame.width, out);
#else
    (void)vector;
#endif
    convertPixels(factors, luma, chroma, done, frame.width, out);
  }
}

}  // namespace

ColourSpace assumedColourSpace(std::int32_t height) {
  return {height >= 720 ? ColourMatrix::kBt709 : ColourMatrix::kBt601, false};
}

void convertNv12(const Nv12Frame& frame, ColourSpace space, std::uint8_t* bgra, std::int32_t stride) {
#ifdef SAVERKIT_HAVE_SSE2_PATH
  convert(frame, space, bgra, stride, hasSse2());
#else
  convert(frame, space, bgra, stride, false);
#endif
}

void convertNv12Plain(const Nv12Frame& frame, ColourSpace space, std::uint8_t* bgra, std::int32_t stride) {
  convert(frame, space, bgra, stride, false);
}

}  // namespace saverkit::slideshow
