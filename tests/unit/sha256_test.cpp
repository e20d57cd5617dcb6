// SHA-256 against the standard's own examples, and the processor's instructions against the
// plain implementation on inputs fed in pieces that straddle block boundaries.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "common/sha256.h"

namespace saverkit {
namespace {

std::string hashText(const std::string& text, bool accelerated) {
  Sha256 hash(accelerated);
  hash.update(text.data(), text.size());
  return hexDigest(hash.finish());
}

TEST(Sha256, StandardExamplesOnBothImplementations) {
  const std::string million(1000000, 'a');
  const struct { std::string input, digest; } cases[] = {
      {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
      {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
      {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",  // 56 bytes: padding takes a block
       "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
      {million, "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
  };
  for (const auto& example : cases) {
    SCOPED_TRACE(example.input.substr(0, 20));
    EXPECT_EQ(hashText(example.input, false), example.digest);
    EXPECT_EQ(hashText(example.input, true), example.digest);
  }
}

TEST(Sha256, PiecesOfAnySizeGiveTheDigestOfTheWhole) {
  std::mt19937 random(2026);
  std::string data(300000, '\0');
  for (char& byte : data) byte = static_cast<char>(random());
  const std::string whole = hashText(data, false);
  for (const bool accelerated : {false, true}) {
    Sha256 hash(accelerated);
    std::size_t at = 0;
    for (const std::size_t piece : {0, 1, 63, 64, 65, 127, 5000, 55, 56, 57}) {
      hash.update(data.data() + at, piece);
      at += piece;
    }
    while (at < data.size()) {
      const std::size_t piece = std::min<std::size_t>(data.size() - at, random() % 9000);
      hash.update(data.data() + at, piece);
      at += piece;
    }
    EXPECT_EQ(hexDigest(hash.finish()), whole) << "accelerated: " << accelerated;
  }
}

}  // namespace
}  // namespace saverkit
