// What the implode side keeps in the caller's 36312-byte work area, and the two small
// machines that work on it: the bit writer and the hash-chain match finder.
//
// Every structure the encoder needs fits in the work area (a static_assert in the encoder
// checks it), so implode allocates nothing either. Positions are window indices stored as
// 16-bit values; when the window slides, the tables are rebased rather than rebuilt.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "code_tables.h"
#include "saverkit/implode/codec.h"

namespace saverkit::implode::detail {

inline constexpr unsigned kHashBits = 12;
inline constexpr unsigned kPairHashBits = 10;
inline constexpr std::size_t kBlockSize = 1024;
inline constexpr std::size_t kWindowSize = kMaxDistance + 2 * kBlockSize + kMaxMatch;
// Match comparison reads eight bytes at a time and may run past the filled part.
inline constexpr std::size_t kWindowPad = 8;
inline constexpr std::size_t kOutSize = 1024;
inline constexpr std::uint16_t kNil = 0xFFFF;
inline constexpr unsigned kMaxCandidates = 48;

// One position of the optimal parse: the cheapest known cost to reach it in bits and the
// token that gets there. After the backward pass, `cost` is reused for the forward step.
struct ParseNode {
  std::uint16_t cost;
  std::uint16_t len;
  std::uint16_t dist;
};

struct Match {
  std::uint16_t len;
  std::uint16_t dist;
};

struct EncoderWork {
  std::uint16_t head[1u << kHashBits];
  std::uint16_t prev[kMaxDistance];  // indexed by absolute position modulo 4096
  std::uint16_t pairHead[1u << kPairHashBits];
  ParseNode nodes[kBlockSize + kMaxMatch + 1];
  std::uint8_t out[kOutSize];
  std::uint8_t window[kWindowSize + kWindowPad];
};

class BitWriter {
 public:
  BitWriter(std::uint8_t* buf, SaverkitWriteBuf write, void* param)
      : buf_(buf), write_(write), param_(param) {}

  void putByte(std::uint8_t b) {
    buf_[used_++] = b;
    if (used_ == kOutSize) flushBuffer();
  }

  // At most 32 bits per call; the accumulator keeps fewer than 32 between calls.
  void put(std::uint32_t bits, unsigned count) {
    acc_ |= static_cast<std::uint64_t>(bits) << count_;
    count_ += count;
    if (count_ >= 32) {
      for (int i = 0; i < 4; ++i) buf_[used_ + i] = static_cast<std::uint8_t>(acc_ >> (8 * i));
      used_ += 4;
      acc_ >>= 32;
      count_ -= 32;
      if (used_ + 4 > kOutSize) flushBuffer();
    }
  }

  // Pads the last byte with zero bits, as every decoder expects, and hands everything out.
  void finish() {
    while (count_ > 0) {
      putByte(static_cast<std::uint8_t>(acc_));
      acc_ >>= 8;
      count_ = count_ > 8 ? count_ - 8 : 0;
    }
    flushBuffer();
  }

 private:
  void flushBuffer() {
    if (used_ == 0) return;
    unsigned size = static_cast<unsigned>(used_);
    write_(reinterpret_cast<char*>(buf_), &size, param_);
    used_ = 0;
  }

  std::uint8_t* buf_;
  SaverkitWriteBuf write_;
  void* param_;
  std::size_t used_ = 0;
  std::uint64_t acc_ = 0;
  unsigned count_ = 0;
};

class MatchFinder {
 public:
  MatchFinder(EncoderWork& work, unsigned dictSize);

  const std::uint8_t* window() const { return w_.window; }
  std::uint8_t* mutableWindow() { return w_.window; }

  // Adds `pos` to the chains. Positions are inserted in increasing order, each at most once,
  // after it has been searched.
  void insert(std::size_t pos, std::size_t avail) {
    if (pos + 3 > avail) return;
    std::uint16_t& h = w_.head[hash3(pos)];
    w_.prev[slot(pos)] = h;
    h = static_cast<std::uint16_t>(pos);
    w_.pairHead[pairHash(pos)] = static_cast<std::uint16_t>(pos);
  }

  // Matches of length three or more, longest last, each strictly longer than the previous.
  unsigned findMatches(std::size_t pos, unsigned maxLen, unsigned depth, unsigned nice,
                       Match* out) const;
  // The most recent two-byte match within reach of a length-two token, or len 0.
  Match findPair(std::size_t pos, std::size_t avail) const;

  // The window moved down by `shift` bytes; forget positions that fell out of it.
  void rebase(std::size_t shift);

 private:
  std::uint32_t hash3(std::size_t pos) const {
    const std::uint8_t* p = w_.window + pos;
    const std::uint32_t v = p[0] | p[1] << 8 | static_cast<std::uint32_t>(p[2]) << 16;
    return (v * 2654435761u) >> (32 - kHashBits);
  }
  std::uint32_t pairHash(std::size_t pos) const {
    const std::uint8_t* p = w_.window + pos;
    return ((p[0] | p[1] << 8) * 2654435761u) >> (32 - kPairHashBits);
  }
  std::size_t slot(std::size_t pos) const { return (base_ + pos) & (kMaxDistance - 1); }

  friend class Encoder;
  EncoderWork& w_;
  std::size_t dictSize_;
  std::uint64_t base_ = 0;  // stream offset of window[0]
};

unsigned matchLength(const std::uint8_t* a, const std::uint8_t* b, unsigned maxLen);

}  // namespace saverkit::implode::detail
