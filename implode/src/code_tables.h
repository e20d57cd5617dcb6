// The fixed prefix codes of the implode stream format and the tables derived from them.
//
// The format never transmits its codes: literal (ASCII mode), length and distance codes are
// the same for every stream, so both directions use tables computed once at compile time and
// kept in read-only data. Nothing here is per-call state, which is why the decoder can keep
// everything that changes inside the caller's work area.
#pragma once

#include <array>
#include <cstdint>

namespace saverkit::implode::detail {

inline constexpr unsigned kMinMatch = 2;
inline constexpr unsigned kMaxMatch = 518;
// A length of 519 cannot be a match: it marks the end of the stream.
inline constexpr unsigned kEndOfStream = 519;
// Length-two matches carry only two low distance bits, so they reach back 256 bytes at most.
inline constexpr unsigned kMaxShortDistance = 256;
inline constexpr unsigned kMaxDictBits = 6;
inline constexpr unsigned kMaxDistance = 4096;

inline constexpr unsigned kLitPeekBits = 13;
inline constexpr unsigned kLenPeekBits = 7;
inline constexpr unsigned kDistPeekBits = 8;

// One emitted field: `bits` holds the value exactly as it goes into the little-endian bit
// stream (first bit sent in bit 0), `count` how many bits it takes.
struct BitField {
  std::uint32_t bits;
  std::uint8_t count;
};

// The decode tables are laid out for the decoder's arithmetic rather than as descriptions of
// the codes, and their entries are eight bytes so that an index scales in the address itself.
//
// A length is base + ((bits >> extraShift) & extraMask); flag, code and extra bits take `bits`.
struct LengthDecode {
  std::uint16_t base;
  std::uint8_t extraShift;  // flag and code: where the extra bits start
  std::uint8_t bits;
  std::uint32_t extraMask;  // (1 << extra bits) - 1
};

// A distance is base + ((bits >> codeBits) & lowMask); code and low bits take `bits`. The base
// holds the decoded upper bits already shifted past the low ones, and the one that distances
// are offset by.
struct DistanceDecode {
  std::uint16_t base;
  std::uint8_t codeBits;
  std::uint8_t bits;
  std::uint32_t lowMask;
};

// Distances carry 2 low bits after a length-two match and 4 to 6 (the dictionary size) after
// any other, each with a table of its own.
inline constexpr unsigned kDistanceTables = 4;
constexpr unsigned distanceTableFor(unsigned lowBits) { return lowBits == 2 ? 0 : lowBits - 3; }

struct DecodeTables {
  std::array<std::uint16_t, 1u << kLitPeekBits> literal;  // symbol | (flag and code bits) << 8
  std::array<LengthDecode, 1u << kLenPeekBits> length;
  std::array<std::array<DistanceDecode, 1u << kDistPeekBits>, kDistanceTables> distance;
};

struct EncodeTables {
  std::array<BitField, 256> asciiLiteral;  // flag bit included
  // Index is the match length 0..519; flag bit, length code and extra bits in one field.
  std::array<BitField, kEndOfStream + 1> length;
  std::array<BitField, 64> distanceCode;  // only the code for the upper six bits
  // The same bit counts packed tight, for parsers that price many tokens per byte.
  std::array<std::uint8_t, kEndOfStream + 1> lengthBits;
  std::array<std::uint8_t, 64> distanceBits;
};

// An object rather than an accessor: the decoder's hot loop can then address it as a constant,
// which on a 32-bit target saves one of its few registers and a call per token.
extern const DecodeTables kDecodeTables;
const EncodeTables& encodeTables();

// Exposed for tests: true when a code set is complete (no dead or ambiguous bit patterns).
bool codesAreComplete();

}  // namespace saverkit::implode::detail
