// Hostile and damaged streams: the decoder must stop with the right code, hand out every
// byte it decoded correctly, and stay inside its buffers (the sanitizers watch that).
#include <gtest/gtest.h>

#include <memory>

#include "codec_test_support.h"
#include "saverkit/implode/codec.h"

namespace implode_test {
namespace {

// Packs fields into the little-endian bit order of the format, for hand-made streams.
class BitPacker {
 public:
  explicit BitPacker(Bytes header) : bytes_(std::move(header)) {}
  BitPacker& put(std::uint32_t value, unsigned count) {
    for (unsigned i = 0; i < count; ++i) {
      if (used_ % 8 == 0) bytes_.push_back(0);
      bytes_.back() = static_cast<std::uint8_t>(bytes_.back() | ((value >> i) & 1u) << (used_ % 8));
      ++used_;
    }
    return *this;
  }
  BitPacker& literal(std::uint8_t b) { return put(0, 1).put(b, 8); }
  // Length three and distance symbol zero both have the two-bit code "11".
  BitPacker& matchLength3(unsigned dist) { return put(1, 1).put(3, 2).put(3, 2).put(dist - 1, 6); }
  BitPacker& end() { return put(1, 1).put(0, 7).put(0xff, 8); }
  const Bytes& bytes() const { return bytes_; }

 private:
  Bytes bytes_;
  unsigned used_ = 0;
};

TEST(ExplodeRobustness, EveryTruncationKeepsDecodedBytesAndAborts) {
  const Bytes original = makeText(3000, 31);
  for (unsigned type : {0u, 1u}) {
    const Bytes stream = ourImplode(original, type, 4096, 65536).data;
    std::size_t previous = 0;
    for (std::size_t cut = 0; cut < stream.size(); ++cut) {
      for (std::size_t chunk : {std::size_t{1}, std::size_t{4096}}) {
        SCOPED_TRACE(testing::Message() << "type " << type << " cut " << cut << " chunk " << chunk);
        const CodecResult r = ourExplode(Bytes(stream.begin(), stream.begin() + cut), chunk);
        EXPECT_EQ(r.code, cut < 2 ? 3u : 4u);
        EXPECT_TRUE(isPrefix(r.data, original));
        EXPECT_GE(r.data.size(), previous);
        previous = r.data.size();
      }
    }
    // Only the end marker is missing at the last cut, so everything has come out.
    EXPECT_EQ(previous, original.size());
  }
}

TEST(ExplodeRobustness, InvalidHeaders) {
  struct Case {
    Bytes stream;
    unsigned code;
  };
  const Case cases[] = {
      {{}, 3},           {{0}, 3},          {{2, 6, 0x01, 0xff}, 2}, {{0xff, 4, 0x01, 0xff}, 2},
      {{0, 3, 0x01, 0xff}, 1}, {{1, 7, 0x01, 0xff}, 1}, {{0, 0}, 1},  {{9, 9, 0x01, 0xff}, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "stream of " << c.stream.size() << " bytes");
    const CodecResult r = ourExplode(c.stream, 4096);
    EXPECT_EQ(r.code, c.code);
    EXPECT_TRUE(r.data.empty());
  }
}

TEST(ExplodeRobustness, DistancesBeforeTheStart) {
  struct Case {
    const char* name;
    Bytes stream;
    unsigned code;
    Bytes output;
  };
  const Case cases[] = {
      {"match first", BitPacker({0, 6}).matchLength3(1).end().bytes(), 3, {}},
      {"one too far", BitPacker({0, 6}).literal('A').matchLength3(2).end().bytes(), 3, {'A'}},
      {"exactly reachable", BitPacker({0, 6}).literal('A').matchLength3(1).end().bytes(), 0,
       {'A', 'A', 'A', 'A'}},
      {"far after a few", BitPacker({0, 6}).literal('x').literal('y').matchLength3(64).end().bytes(), 3,
       {'x', 'y'}},
  };
  for (const Case& c : cases) {
    for (std::size_t chunk : {std::size_t{1}, std::size_t{4096}}) {
      SCOPED_TRACE(testing::Message() << c.name << " chunk " << chunk);
      const CodecResult r = ourExplode(c.stream, chunk);
      EXPECT_EQ(r.code, c.code);
      EXPECT_EQ(r.data, c.output);
    }
  }
}

TEST(ExplodeRobustness, GarbageAfterTheEndMarkerIsIgnored) {
  const Bytes original = makeStructured(10000, 41);
  for (unsigned type : {0u, 1u}) {
    Bytes stream = ourImplode(original, type, 2048, 65536).data;
    const Bytes garbage = makeRandom(5000, 42);
    stream.insert(stream.end(), garbage.begin(), garbage.end());
    for (std::size_t chunk : {std::size_t{1}, std::size_t{65536}}) {
      SCOPED_TRACE(testing::Message() << "type " << type << " chunk " << chunk);
      const CodecResult r = ourExplode(stream, chunk);
      EXPECT_EQ(r.code, 0u);
      EXPECT_TRUE(r.data == original) << describe(r.data, original);
    }
  }
}

// Random bodies behind valid headers: any code is acceptable, a crash or hang is not, and
// whatever comes out is bounded by what the input could possibly describe.
TEST(ExplodeRobustness, RandomStreamsTerminate) {
  for (std::uint32_t seed = 0; seed < 600; ++seed) {
    SCOPED_TRACE(testing::Message() << "seed " << seed);
    Bytes stream = makeRandom(1 + seed % 700, seed);
    stream.insert(stream.begin(), {static_cast<std::uint8_t>(seed & 1), static_cast<std::uint8_t>(4 + seed % 3)});
    const CodecResult r = ourExplode(stream, 1 + seed % 97);
    EXPECT_TRUE(r.code == 0 || r.code == 3 || r.code == 4) << r.code;
    // A shortest match token is 8 bits long and can produce 518 bytes.
    EXPECT_LE(r.data.size(), stream.size() * 518);
  }
}

// Work areas of exactly the documented sizes, at odd addresses: the sanitizer reports any
// access beyond them.
TEST(WorkArea, ExactSizeAndUnaligned) {
  namespace sk = saverkit::implode;
  const Bytes original = makeRuns(120000, 51);
  for (std::size_t offset : {std::size_t{0}, std::size_t{1}, std::size_t{3}}) {
    SCOPED_TRACE(testing::Message() << "offset " << offset);
    auto implodeArea = std::make_unique<std::uint8_t[]>(sk::kImplodeWorkSize + offset);
    Bytes packed;
    struct Ctx {
      const Bytes* in;
      std::size_t at;
      Bytes* out;
    } ctx{&original, 0, &packed};
    auto read = [](char* buf, unsigned* size, void* p) -> unsigned {
      auto* c = static_cast<Ctx*>(p);
      const std::size_t n = std::min<std::size_t>(*size, c->in->size() - c->at);
      std::copy_n(c->in->data() + c->at, n, buf);
      c->at += n;
      return static_cast<unsigned>(n);
    };
    auto write = [](char* buf, unsigned* size, void* p) {
      auto* c = static_cast<Ctx*>(p);
      c->out->insert(c->out->end(), buf, buf + *size);
    };
    ASSERT_EQ(sk::implodeStream(read, write, implodeArea.get() + offset, &ctx, sk::ImplodeOptions{}),
              sk::Status::kOk);
    auto explodeArea = std::make_unique<std::uint8_t[]>(sk::kExplodeWorkSize + offset);
    Bytes unpacked;
    ctx = Ctx{&packed, 0, &unpacked};
    ASSERT_EQ(sk::explodeStream(read, write, explodeArea.get() + offset, &ctx), sk::Status::kOk);
    EXPECT_TRUE(unpacked == original) << describe(unpacked, original);
  }
}

}  // namespace
}  // namespace implode_test
