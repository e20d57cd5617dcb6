// The decoder exists in two widths: the 64-bit bit buffer of native builds and the 32-bit one
// that only impborl.dll (i686) runs, which refills twice per match and hands bytes back after
// checked decoding. Both are driven here side by side, so the narrow one gets native and
// sanitizer coverage it would otherwise never see.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "codec_test_support.h"
#include "explode_decoder.h"

namespace implode_test {
namespace {

namespace dt = saverkit::implode::detail;

template <typename Word>
CodecResult explodeWith(const Bytes& stream, std::size_t chunk) {
  Stream s{&stream, 0, chunk, {}};
  Bytes work(SAVERKIT_EXPLODE_WORK_SIZE);
  const auto status = dt::explodeWithBitWord<Word>(readChunk, writeAll, &s, work.data());
  return {static_cast<unsigned>(status), std::move(s.out)};
}

TEST(ExplodeBitWord, BothWidthsRoundTrip) {
  // Random bytes give long literal runs (the paired literals), runs give overlapping copies of
  // every short distance, the rest long and far matches; 150 kB crosses many window slides.
  const Bytes inputs[] = {makeText(150000, 61), makeStructured(150000, 62), makeRuns(150000, 63),
                          makeRandom(30000, 64), Bytes{0x5a}, Bytes{}};
  for (const Bytes& original : inputs) {
    for (unsigned type : {0u, 1u}) {
      for (unsigned dict : {1024u, 2048u, 4096u}) {
        const Bytes stream = ourImplode(original, type, dict, 65536).data;
        for (std::size_t chunk : {std::size_t{1}, std::size_t{13}, std::size_t{65536}}) {
          SCOPED_TRACE(testing::Message() << original.size() << " bytes, type " << type << " dict "
                                          << dict << " chunk " << chunk);
          const CodecResult narrow = explodeWith<std::uint32_t>(stream, chunk);
          EXPECT_EQ(narrow.code, 0u);
          EXPECT_TRUE(narrow.data == original) << describe(narrow.data, original);
          const CodecResult wide = explodeWith<std::uint64_t>(stream, chunk);
          EXPECT_EQ(wide.code, 0u);
          EXPECT_TRUE(wide.data == original) << describe(wide.data, original);
        }
      }
    }
  }
}

// Near the end of what has arrived, decoding switches to counted bits and back; a stream cut
// anywhere must abort with every byte before the cut and nothing invented.
TEST(ExplodeBitWord, EveryTruncationAbortsExactlyInBothWidths) {
  const Bytes original = makeStructured(2500, 65);
  for (unsigned type : {0u, 1u}) {
    const Bytes stream = ourImplode(original, type, 4096, 65536).data;
    std::size_t previous = 0;
    for (std::size_t cut = 2; cut < stream.size(); ++cut) {
      SCOPED_TRACE(testing::Message() << "type " << type << " cut " << cut);
      const Bytes cutStream(stream.begin(), stream.begin() + cut);
      const CodecResult narrow = explodeWith<std::uint32_t>(cutStream, 4096);
      const CodecResult wide = explodeWith<std::uint64_t>(cutStream, 4096);
      EXPECT_EQ(narrow.code, 4u);
      EXPECT_TRUE(isPrefix(narrow.data, original));
      EXPECT_GE(narrow.data.size(), previous);
      EXPECT_EQ(narrow.data, wide.data);
      EXPECT_EQ(wide.code, 4u);
      previous = narrow.data.size();
    }
    EXPECT_EQ(previous, original.size());
  }
}

// Damaged and random streams: whatever one width makes of them, the other must make too, to
// the byte and the status code.
TEST(ExplodeBitWord, WidthsAgreeOnDamagedStreams) {
  const Bytes original = makeText(20000, 66);
  for (std::uint32_t seed = 0; seed < 300; ++seed) {
    Bytes stream;
    if (seed % 2 == 0) {
      stream = ourImplode(original, seed / 2 % 2, 1024u << (seed % 3), 65536).data;
      Bytes noise = makeRandom(3, seed);
      for (std::size_t i = 0; i < noise.size(); ++i) {
        stream[2 + (noise[i] * 131u + seed * 977u + i * 7919u) % (stream.size() - 2)] ^=
            static_cast<std::uint8_t>(1u << (noise[i] % 8));
      }
    } else {
      stream = makeRandom(1 + seed % 900, seed);
      stream.insert(stream.begin(), {static_cast<std::uint8_t>(seed / 2 % 2), static_cast<std::uint8_t>(4 + seed % 3)});
    }
    SCOPED_TRACE(testing::Message() << "seed " << seed);
    const std::size_t chunk = 1 + seed % 61;
    const CodecResult narrow = explodeWith<std::uint32_t>(stream, chunk);
    const CodecResult wide = explodeWith<std::uint64_t>(stream, chunk);
    EXPECT_EQ(narrow.code, wide.code);
    EXPECT_TRUE(narrow.data == wide.data) << describe(narrow.data, wide.data);
  }
}

}  // namespace
}  // namespace implode_test
