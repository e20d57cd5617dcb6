// Hash-chain search over the last 4 KiB (or the chosen dictionary) of input.
//
// Three-byte hashes feed the chains that find ordinary matches; a separate table remembers
// the latest position of each two-byte pair, because length-two tokens pay off only at short
// distances and only the nearest occurrence is worth coding.
#include "encoder_state.h"

#include <algorithm>

namespace saverkit::implode::detail {

unsigned matchLength(const std::uint8_t* a, const std::uint8_t* b, unsigned maxLen) {
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
      return std::min(len, maxLen);
    }
    len += 8;
  }
  return maxLen;
}

MatchFinder::MatchFinder(EncoderWork& work, unsigned dictSize) : w_(work), dictSize_(dictSize) {
  std::fill(std::begin(w_.head), std::end(w_.head), kNil);
  std::fill(std::begin(w_.prev), std::end(w_.prev), kNil);
  std::fill(std::begin(w_.pairHead), std::end(w_.pairHead), kNil);
}

unsigned MatchFinder::findMatches(std::size_t pos, unsigned maxLen, unsigned depth, unsigned nice,
                                  Match* out) const {
  if (maxLen < 3) return 0;
  const std::uint8_t* const cur = w_.window + pos;
  unsigned count = 0;
  unsigned best = 2;
  std::size_t cand = w_.head[hash3(pos)];
  while (cand != kNil && cand < pos && depth-- > 0) {
    const std::size_t dist = pos - cand;
    if (dist > dictSize_) break;
    const std::uint8_t* const prior = w_.window + cand;
    if (prior[best] == cur[best] && prior[0] == cur[0]) {
      const unsigned len = matchLength(prior, cur, maxLen);
      if (len > best) {
        best = len;
        if (count == kMaxCandidates) --count;
        out[count++] = Match{static_cast<std::uint16_t>(len), static_cast<std::uint16_t>(dist)};
        if (len >= nice || len == maxLen) break;
      }
    }
    const std::size_t next = w_.prev[slot(cand)];
    // A slot overwritten by a newer position would point forward; that ends the chain.
    if (next >= cand) break;
    cand = next;
  }
  return count;
}

Match MatchFinder::findPair(std::size_t pos, std::size_t avail) const {
  if (pos + 2 > avail) return Match{0, 0};
  const std::size_t cand = w_.pairHead[pairHash(pos)];
  if (cand == kNil || cand >= pos) return Match{0, 0};
  const std::size_t dist = pos - cand;
  if (dist > kMaxShortDistance || dist > dictSize_) return Match{0, 0};
  const std::uint8_t* p = w_.window;
  if (p[cand] != p[pos] || p[cand + 1] != p[pos + 1]) return Match{0, 0};
  return Match{2, static_cast<std::uint16_t>(dist)};
}

void MatchFinder::rebase(std::size_t shift) {
  auto move = [shift](std::uint16_t& v) {
    v = (v == kNil || v < shift) ? kNil : static_cast<std::uint16_t>(v - shift);
  };
  std::for_each(std::begin(w_.head), std::end(w_.head), move);
  std::for_each(std::begin(w_.prev), std::end(w_.prev), move);
  std::for_each(std::begin(w_.pairHead), std::end(w_.pairHead), move);
  base_ += shift;
}

}  // namespace saverkit::implode::detail
