// What the implode side keeps in the caller's 36312-byte work area, and the two small
// machines that work on it: the bit writer and the match finders (hash chains, binary trees).
//
// Every structure the encoder needs fits in the work area (a static_assert in the encoder
// checks it), so implode allocates nothing either. The tables hold stream offsets cut to 16
// bits: a distance is then a plain 16-bit difference, and sliding the window needs no pass
// over the tables. Only entries left untouched for a long time could wrap around and pose as
// recent, so they are pushed back out of reach every kSweepInterval bytes.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "code_tables.h"
#include "saverkit/implode/codec.h"

namespace saverkit::implode::detail {

inline constexpr unsigned kChainHashBits = 12;
// Collisions only cost the tree a little depth, never a match, so its roots can be few.
inline constexpr unsigned kTreeHashBits = 10;
inline constexpr unsigned kPairHashBits = 10;
inline constexpr std::size_t kBlockSize = 512;
// The optimal parser prices this far past its block, so that the tokens it settles near the
// boundary are the ones that also suit what follows.
inline constexpr std::size_t kLookahead = 32;
inline constexpr std::size_t kWindowSize = kMaxDistance + 2 * kBlockSize + kLookahead + kMaxMatch;
// Match comparison reads eight bytes at a time and may run past the filled part.
inline constexpr std::size_t kWindowPad = 8;
inline constexpr std::size_t kOutSize = 1024;
inline constexpr unsigned kMaxCandidates = 48;
inline constexpr unsigned kStoredMatches = 8;
inline constexpr std::size_t kParseNodes = kBlockSize + kLookahead + kMaxMatch + 1;
// Small enough that no table entry ages past the 16-bit range between two sweeps.
inline constexpr std::size_t kSweepInterval = 16384;

// Two bytes at once, for equality tests only (the byte order does not matter there).
inline std::uint16_t load16(const std::uint8_t* p) {
  std::uint16_t v;
  std::memcpy(&v, p, 2);
  return v;
}

struct Match {
  std::uint16_t len;
  std::uint16_t dist;
};

// Hash chains, for the greedy levels: cheap to extend by one position.
struct ChainTables {
  std::uint16_t head[1u << kChainHashBits];
  std::uint16_t prev[kMaxDistance];  // indexed by stream offset modulo 4096
};

// Binary trees sorted by the bytes that follow each position, newest at the root, for the
// optimal parser: a search walks only towards the nearest longer matches.
struct TreeTables {
  std::uint16_t root[1u << kTreeHashBits];
  std::uint16_t child[2 * kMaxDistance];  // smaller, larger; by stream offset modulo 4096
};

// What the optimal parser found at a position past its block, which it prices again with the
// next block after the tree has moved on.
struct StoredMatches {
  std::uint16_t tag;  // the position's stream offset modulo 2^16
  std::uint16_t count;
  std::uint16_t pairDist;  // 0: no pair
  Match matches[kStoredMatches];
};

struct EncoderWork {
  union {
    ChainTables chain;
    TreeTables tree;
  };
  std::uint16_t pairHead[1u << kPairHashBits];
  // Optimal parse state: the cheapest known cost in bits to reach each block offset, and the
  // token (length | distance << 16) that gets there.
  std::uint16_t cost[kParseNodes];
  std::uint32_t step[kParseNodes];
  StoredMatches stored[kLookahead];
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

// What both match finders share: positions stored as 16-bit stream offsets, and the table of
// the latest position of each two-byte pair.
class FinderBase {
 public:
  const std::uint8_t* window() const { return w_.window; }
  // The most recent two-byte match within reach of a length-two token, or len 0. Every
  // position of the optimal parse asks, and the answers follow no pattern a branch predictor
  // could learn, so the checks are folded into selects.
  Match findPair(std::size_t pos, std::size_t avail) const {
    if (pos + 2 > avail) return Match{0, 0};
    const std::uint8_t* const p = w_.window + pos;
    const unsigned dist = age(pos, w_.pairHead[pairHash(p)]);
    // A pair noted at or after `pos` (the optimal parser revisits its lookahead) ages past
    // every limit, like one that fell out of the dictionary; it then compares the bytes at
    // `pos` with themselves, and `d == 0` turns that down.
    const unsigned reach = static_cast<unsigned>(std::min<std::size_t>(pairReach_, pos));
    const unsigned d = dist - 1 < reach ? dist : 0;
    const bool hit = (d != 0) & (load16(p - d) == load16(p));
    return hit ? Match{2, static_cast<std::uint16_t>(d)} : Match{0, 0};
  }
  // The window moved down by `shift` bytes.
  void slide(std::size_t shift);
  std::uint16_t tag(std::size_t pos) const { return static_cast<std::uint16_t>(tagBase_ + pos); }
  std::size_t firstUnindexed() const { return next_; }

 protected:
  FinderBase(EncoderWork& work, unsigned dictSize)
      : w_(work), dictSize_(dictSize), pairReach_(std::min(dictSize, kMaxShortDistance)) {}
  void startPairs();

  template <unsigned kBits>
  std::uint32_t hash3(std::size_t pos) const {
    const std::uint8_t* p = w_.window + pos;
    const std::uint32_t v = p[0] | p[1] << 8 | static_cast<std::uint32_t>(p[2]) << 16;
    return (v * 2654435761u) >> (32 - kBits);
  }
  unsigned age(std::size_t pos, std::uint16_t stored) const {
    return static_cast<std::uint16_t>(tag(pos) - stored);
  }
  // A stored value that stays out of reach of every position until the next sweep.
  std::uint16_t farTag() const { return static_cast<std::uint16_t>(tag(next_) - 2 * kMaxDistance); }
  static std::uint32_t pairHash(const std::uint8_t* p) {
    return ((p[0] | p[1] << 8) * 2654435761u) >> (32 - kPairHashBits);
  }
  void notePair(std::size_t pos) { w_.pairHead[pairHash(w_.window + pos)] = tag(pos); }
  template <bool kAll>
  unsigned search(std::size_t pos, unsigned maxLen, unsigned depth, unsigned nice,
                  Match* out) const;
  void sweep(std::uint16_t* begin, std::uint16_t* end) const;
  void sweepTables();

  EncoderWork& w_;
  unsigned dictSize_;
  unsigned pairReach_;  // how far back a length-two token can point
  std::uint16_t tagBase_ = 0;  // stream offset of window[0], modulo 2^16
  std::size_t next_ = 0;       // first window position not yet indexed
  std::size_t sinceSweep_ = 0;
  bool tree_ = false;
};

// Hash chains for the greedy parser.
class MatchFinder : public FinderBase {
 public:
  MatchFinder(EncoderWork& work, unsigned dictSize) : FinderBase(work, dictSize) {}
  // The chains share their memory with the trees; only the finder in use sets them up.
  void start();

  // Adds every position up to and including `pos` that is not in the chains yet.
  void insertThrough(std::size_t pos, std::size_t avail) {
    if (avail < 3) return;
    const std::size_t last = pos + 3 <= avail ? pos : avail - 3;
    for (; next_ <= last; ++next_) insertOne(next_);
  }
  bool indexed(std::size_t pos) const { return pos < next_; }
  // Matches of three or more from `pos`, which must not be indexed yet: longest last, each
  // strictly longer and farther than the previous.
  unsigned findMatches(std::size_t pos, unsigned maxLen, unsigned depth, unsigned nice,
                       Match* out) const {
    return search<true>(pos, maxLen, depth, nice, out);
  }
  // Only the longest of those, or len 0.
  Match findLongest(std::size_t pos, unsigned maxLen, unsigned depth, unsigned nice) const {
    Match m{0, 0};
    search<false>(pos, maxLen, depth, nice, &m);
    return m;
  }

 private:
  void insertOne(std::size_t pos) {
    const std::uint16_t t = tag(pos);
    std::uint16_t& h = w_.chain.head[hash3<kChainHashBits>(pos)];
    w_.chain.prev[t & (kMaxDistance - 1)] = h;
    h = t;
    notePair(pos);
  }
};

// Binary trees for the optimal parser.
class TreeFinder : public FinderBase {
 public:
  TreeFinder(EncoderWork& work, unsigned dictSize) : FinderBase(work, dictSize) {}
  void start();

  // True when `pos` was searched before; the tree cannot be searched from it again.
  bool indexed(std::size_t pos) const { return pos < next_; }
  // Adds `pos` to the trees and returns its matches of three or more, longest last, each
  // strictly longer and farther than the previous, and its pair match in `pair`. Positions
  // skipped over only get their pairs noted.
  unsigned insertAndFind(std::size_t pos, std::size_t avail, unsigned depth, unsigned nice,
                         Match* out, Match& pair);
};

inline unsigned matchLength(const std::uint8_t* a, const std::uint8_t* b, unsigned maxLen) {
  unsigned len = 0;
  while (len < maxLen) {
    std::uint64_t x;
    std::uint64_t y;
    std::memcpy(&x, a + len, 8);
    std::memcpy(&y, b + len, 8);
    const std::uint64_t diff = x ^ y;
    if (diff != 0) {
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
      len += static_cast<unsigned>(__builtin_clzll(diff)) >> 3;
#else
      len += static_cast<unsigned>(__builtin_ctzll(diff)) >> 3;
#endif
      return len < maxLen ? len : maxLen;
    }
    len += 8;
  }
  return maxLen;
}

}  // namespace saverkit::implode::detail
