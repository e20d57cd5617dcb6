// The exported C interface: names, argument checking, CRC, and the C++ helpers over it.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstring>

#include "codec_test_support.h"
#include "saverkit/implode/codec.h"

namespace implode_test {
namespace {

namespace sk = saverkit::implode;

TEST(CApi, SharedLibraryExportsHistoricalNames) {
  void* lib = dlopen(IMPBORL_SO_PATH, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(lib, nullptr) << dlerror();
  for (const char* name : {"_implode", "_explode", "_crc32"}) {
    SCOPED_TRACE(name);
    EXPECT_NE(dlsym(lib, name), nullptr);
  }
  // Plain names would collide with other libraries that carry the same algorithm.
  for (const char* name : {"implode", "explode", "crc32"}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(dlsym(lib, name), nullptr) << "must not be exported by us";
  }
  dlclose(lib);
}

TEST(CApi, ImplodeRejectsBadParametersBeforeWriting) {
  struct Case {
    unsigned type;
    unsigned dict;
    unsigned code;
  };
  const Case cases[] = {{0, 512, 1}, {0, 4095, 1}, {1, 8192, 1}, {2, 4096, 2}, {7, 1024, 2}, {9, 0, 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "type " << c.type << " dict " << c.dict);
    const CodecResult r = ourImplode(makeText(100, 1), c.type, c.dict, 4096);
    EXPECT_EQ(r.code, c.code);
    EXPECT_TRUE(r.data.empty());
  }
}

TEST(CApi, Crc32MatchesStandardCheckValueInAnyChunking) {
  const char text[] = "123456789";
  for (unsigned split : {0u, 1u, 4u, 8u, 9u}) {
    SCOPED_TRACE(testing::Message() << "split " << split);
    unsigned long crc = 0xFFFFFFFFul;
    unsigned first = split;
    unsigned second = 9 - split;
    crc = _crc32(const_cast<char*>(text), &first, &crc);
    crc = _crc32(const_cast<char*>(text) + split, &second, &crc);
    EXPECT_EQ(~crc & 0xFFFFFFFFul, 0xCBF43926ul);
  }
  const Bytes big = makeRandom(100003, 9);
  std::uint32_t whole = sk::crc32Update(0xFFFFFFFFu, {big.data(), big.size()});
  std::uint32_t pieces = 0xFFFFFFFFu;
  for (std::size_t at = 0; at < big.size(); at += 777) {
    pieces = sk::crc32Update(pieces, {big.data() + at, std::min<std::size_t>(777, big.size() - at)});
  }
  EXPECT_EQ(whole, pieces);
}

TEST(CppApi, ExplodeHandsOutGoodBytesBeforeAnError) {
  const Bytes original = makeText(50000, 61);
  Bytes packed;
  ASSERT_EQ(sk::implode({original.data(), original.size()}, sk::ImplodeOptions{}, packed), sk::Status::kOk);
  packed.resize(packed.size() / 2);
  Bytes out;
  EXPECT_EQ(sk::explode({packed.data(), packed.size()}, out), sk::Status::kAbort);
  EXPECT_GT(out.size(), original.size() / 3);
  EXPECT_TRUE(std::equal(out.begin(), out.end(), original.begin()));
}

TEST(CppApi, LevelsOrderByRatio) {
  const Bytes text = makeText(400000, 71);
  std::size_t sizes[3] = {};
  const sk::Level levels[] = {sk::Level::kFast, sk::Level::kDefault, sk::Level::kBest};
  for (int i = 0; i < 3; ++i) {
    sk::ImplodeOptions options;
    options.level = levels[i];
    Bytes packed;
    ASSERT_EQ(sk::implode({text.data(), text.size()}, options, packed), sk::Status::kOk);
    sizes[i] = packed.size();
  }
  EXPECT_LT(sizes[1], sizes[0]);
  EXPECT_LE(sizes[2], sizes[1]);
  // The optimal parse must also beat the peer's encoder on the same data.
  EXPECT_LT(sizes[1], peerImplode(text, 0, 4096, 65536).data.size());
}

TEST(CppApi, StatusMessagesAreDistinct) {
  const sk::Status all[] = {sk::Status::kOk, sk::Status::kInvalidDictSize, sk::Status::kInvalidMode,
                            sk::Status::kBadData, sk::Status::kAbort};
  for (sk::Status a : all) {
    for (sk::Status b : all) {
      if (a != b) {
        EXPECT_STRNE(sk::statusMessage(a), sk::statusMessage(b));
      }
    }
  }
}

}  // namespace
}  // namespace implode_test
