// Builds the format's fixed codes from their compact published description.
//
// Each code is listed as runs of code lengths: a byte holds the length in its low nibble and
// the run count minus one in its high nibble. Codes are canonical (shorter codes first, equal
// lengths in symbol order), then complemented and sent most significant bit first; the tables
// below store them already reversed, so both directions work on plain little-endian bit peeks.
#include "code_tables.h"

#include <cstddef>

namespace saverkit::implode::detail {
namespace {

constexpr std::uint8_t kLiteralRuns[] = {
    11, 124, 8, 7, 28, 7, 188, 13, 76, 4, 10, 8, 12, 10, 12, 10, 8, 23, 8, 9, 7, 6, 7, 8, 7,
    6, 55, 8, 23, 24, 12, 11, 7, 9, 11, 12, 6, 7, 22, 5, 7, 24, 6, 11, 9, 6, 7, 22, 7, 11,
    38, 7, 9, 8, 25, 11, 8, 11, 9, 12, 8, 12, 5, 38, 5, 38, 5, 11, 7, 5, 6, 21, 6, 10, 53,
    8, 7, 24, 10, 27, 44, 253, 253, 253, 252, 252, 252, 13, 12, 45, 12, 45, 12, 61, 12, 45,
    44, 173};
constexpr std::uint8_t kLengthRuns[] = {2, 35, 36, 53, 38, 23};
constexpr std::uint8_t kDistanceRuns[] = {2, 20, 53, 230, 247, 151, 248};

inline constexpr std::uint16_t kLengthBase[16] = {3,  2,  4,  5,  6,  7,   8,   9,
                                                  10, 12, 16, 24, 40, 72, 136, 264};
inline constexpr std::uint8_t kLengthExtra[16] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8};

template <std::size_t N>
struct Code {
  std::array<std::uint8_t, N> lengths{};
  std::array<std::uint16_t, N> streamBits{};  // reversed and complemented, ready to send
  bool complete = false;
};

template <std::size_t N, std::size_t R>
constexpr Code<N> buildCode(const std::uint8_t (&runs)[R]) {
  Code<N> code;
  std::size_t symbol = 0;
  for (std::uint8_t run : runs) {
    for (int i = 0; i <= run >> 4 && symbol < N; ++i) code.lengths[symbol++] = run & 15;
  }
  // Canonical assignment, then complement and bit reversal into send order.
  std::uint32_t next = 0;
  std::uint64_t kraft = 0;  // in units of 2^-16
  for (unsigned len = 1; len <= 16; ++len) {
    for (std::size_t s = 0; s < N; ++s) {
      if (code.lengths[s] != len) continue;
      const std::uint32_t inverted = ~next & ((1u << len) - 1);
      std::uint32_t reversed = 0;
      for (unsigned b = 0; b < len; ++b) reversed |= ((inverted >> b) & 1u) << (len - 1 - b);
      code.streamBits[s] = static_cast<std::uint16_t>(reversed);
      kraft += 1ull << (16 - len);
      ++next;
    }
    next <<= 1;
  }
  code.complete = symbol == N && kraft == (1ull << 16);
  return code;
}

constexpr auto kLiteralCode = buildCode<256>(kLiteralRuns);
constexpr auto kLengthCode = buildCode<16>(kLengthRuns);
constexpr auto kDistanceCode = buildCode<64>(kDistanceRuns);
static_assert(kLiteralCode.complete && kLengthCode.complete && kDistanceCode.complete,
              "every bit pattern must decode, or the decoder would need a reject path");

constexpr DecodeTables buildDecodeTables() {
  DecodeTables t{};
  for (unsigned s = 0; s < 256; ++s) {
    const unsigned len = kLiteralCode.lengths[s];
    for (unsigned i = kLiteralCode.streamBits[s]; i < t.literal.size(); i += 1u << len) {
      t.literal[i] = static_cast<std::uint16_t>(s | (1 + len) << 8);
    }
  }
  for (unsigned s = 0; s < 16; ++s) {
    const unsigned len = kLengthCode.lengths[s];
    for (unsigned i = kLengthCode.streamBits[s]; i < t.length.size(); i += 1u << len) {
      t.length[i] = LengthDecode{kLengthBase[s], static_cast<std::uint8_t>(1 + len),
                                 static_cast<std::uint8_t>(1 + len + kLengthExtra[s]),
                                 (1u << kLengthExtra[s]) - 1};
    }
  }
  for (unsigned lowBits : {2u, 4u, 5u, 6u}) {
    auto& table = t.distance[distanceTableFor(lowBits)];
    for (unsigned s = 0; s < 64; ++s) {
      const unsigned len = kDistanceCode.lengths[s];
      for (unsigned i = kDistanceCode.streamBits[s]; i < table.size(); i += 1u << len) {
        table[i] = DistanceDecode{static_cast<std::uint16_t>((s << lowBits) + 1),
                                  static_cast<std::uint8_t>(len),
                                  static_cast<std::uint8_t>(len + lowBits), (1u << lowBits) - 1};
      }
    }
  }
  return t;
}

constexpr EncodeTables buildEncodeTables() {
  EncodeTables t{};
  for (unsigned s = 0; s < 256; ++s) {
    t.asciiLiteral[s] = BitField{static_cast<std::uint32_t>(kLiteralCode.streamBits[s]) << 1,
                                 static_cast<std::uint8_t>(kLiteralCode.lengths[s] + 1)};
  }
  for (unsigned s = 0; s < 16; ++s) {
    const unsigned count = 1u << kLengthExtra[s];
    for (unsigned extra = 0; extra < count; ++extra) {
      const unsigned length = kLengthBase[s] + extra;
      const unsigned codeBits = kLengthCode.lengths[s];
      const std::uint32_t bits = 1u | static_cast<std::uint32_t>(kLengthCode.streamBits[s]) << 1 |
                                 extra << (1 + codeBits);
      t.length[length] = BitField{bits, static_cast<std::uint8_t>(1 + codeBits + kLengthExtra[s])};
      t.lengthBits[length] = t.length[length].count;
    }
  }
  for (unsigned s = 0; s < 64; ++s) {
    t.distanceCode[s] = BitField{kDistanceCode.streamBits[s], kDistanceCode.lengths[s]};
    t.distanceBits[s] = kDistanceCode.lengths[s];
  }
  return t;
}

constexpr EncodeTables kEncodeTables = buildEncodeTables();

}  // namespace

extern constexpr DecodeTables kDecodeTables = buildDecodeTables();

const EncodeTables& encodeTables() { return kEncodeTables; }

bool codesAreComplete() {
  return kLiteralCode.complete && kLengthCode.complete && kDistanceCode.complete;
}

}  // namespace saverkit::implode::detail
