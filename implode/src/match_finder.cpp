// Hash-chain search over the last 4 KiB (or the chosen dictionary) of input, and what both
// finders share.
//
// Three-byte hashes feed the chains that find ordinary matches; a separate table remembers
// the latest position of each two-byte pair, because length-two tokens pay off only at short
// distances and only the nearest occurrence is worth coding.
#include <algorithm>

#include "encoder_state.h"

namespace saverkit::implode::detail {

void FinderBase::startPairs() {
  std::fill(std::begin(w_.pairHead), std::end(w_.pairHead), farTag());
}

void FinderBase::slide(std::size_t shift) {
  tagBase_ = static_cast<std::uint16_t>(tagBase_ + shift);
  next_ -= shift;
  sinceSweep_ += shift;
  if (sinceSweep_ >= kSweepInterval) {
    sweepTables();
    sinceSweep_ = 0;
  }
}

// Pushes entries that fell out of the dictionary to a fixed distance beyond it, so that none
// ages far enough to wrap around and pose as recent. Chain links are only ever followed from
// positions inside the dictionary and so are never much older than it; tree links are
// handed on when a node is replaced, so they get swept too.
void FinderBase::sweep(std::uint16_t* begin, std::uint16_t* end) const {
  const std::uint16_t now = tag(next_);
  const std::uint16_t far = farTag();
  std::for_each(begin, end, [now, far](std::uint16_t& v) {
    if (static_cast<std::uint16_t>(now - v) > kMaxDistance) v = far;
  });
}

void FinderBase::sweepTables() {
  sweep(std::begin(w_.pairHead), std::end(w_.pairHead));
  if (tree_) {
    sweep(std::begin(w_.tree.root), std::end(w_.tree.root));
    sweep(std::begin(w_.tree.child), std::end(w_.tree.child));
  } else {
    sweep(std::begin(w_.chain.head), std::end(w_.chain.head));
  }
}

void MatchFinder::start() {
  startPairs();
  std::fill(std::begin(w_.chain.head), std::end(w_.chain.head), farTag());
}

// The walk is a chain of dependent loads, so each link is kept to the least work: one
// two-byte test at the end of the best length so far (a longer match must pass it), and one
// unsigned comparison for both ends of the chain.
template <bool kAll>
unsigned FinderBase::search(std::size_t pos, unsigned maxLen, unsigned depth, unsigned nice,
                            Match* out) const {
  if (maxLen < 3 || depth == 0) return 0;
  const std::uint8_t* const cur = w_.window + pos;
  const unsigned limit = static_cast<unsigned>(std::min<std::size_t>(dictSize_, pos));
  const std::uint16_t now = tag(pos);
  const std::uint16_t* const prev = w_.chain.prev;
  std::uint16_t cand = w_.chain.head[hash3<kChainHashBits>(pos)];
  unsigned dist = static_cast<std::uint16_t>(now - cand);
  if (dist - 1 >= limit) return 0;
  const unsigned enough = std::min(nice, maxLen);
  unsigned best = 2;
  unsigned count = 0;
  std::uint16_t tail = load16(cur + 1);
  for (;;) {
    const std::uint8_t* const prior = cur - dist;
    if (load16(prior + best - 1) == tail) {
      const unsigned len = matchLength(prior, cur, maxLen);
      if (len > best) {
        best = len;
        if (kAll && count == kMaxCandidates) --count;
        if (kAll || count == 0) ++count;
        out[count - 1] = Match{static_cast<std::uint16_t>(len), static_cast<std::uint16_t>(dist)};
        if (len >= enough) break;
        tail = load16(cur + best - 1);
      }
    }
    if (--depth == 0) break;
    cand = prev[cand & (kMaxDistance - 1)];
    const unsigned next = static_cast<std::uint16_t>(now - cand);
    // Chains only ever lead to older positions; anything else is a reused slot. Past the
    // dictionary the walk ends too: both in one test, as next - dist - 1 wraps when next
    // is not beyond dist.
    if (next - dist - 1 >= limit - dist) break;
    dist = next;
  }
  return count;
}

template unsigned FinderBase::search<true>(std::size_t, unsigned, unsigned, unsigned,
                                           Match*) const;
template unsigned FinderBase::search<false>(std::size_t, unsigned, unsigned, unsigned,
                                            Match*) const;

}  // namespace saverkit::implode::detail
