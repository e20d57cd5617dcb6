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

Match FinderBase::findPair(std::size_t pos, std::size_t avail) const {
  if (pos + 2 > avail) return Match{0, 0};
  const std::uint8_t* p = w_.window + pos;
  const unsigned dist = age(pos, w_.pairHead[((p[0] | p[1] << 8) * 2654435761u) >> (32 - kPairHashBits)]);
  // A pair noted at or after `pos` (the optimal parser revisits its lookahead) ages past
  // every limit, like one that fell out of the dictionary.
  if (dist == 0 || dist > std::min<std::size_t>({kMaxShortDistance, dictSize_, pos})) {
    return Match{0, 0};
  }
  if (p[0] != p[0 - static_cast<std::ptrdiff_t>(dist)] ||
      p[1] != p[1 - static_cast<std::ptrdiff_t>(dist)]) {
    return Match{0, 0};
  }
  return Match{2, static_cast<std::uint16_t>(dist)};
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

template <bool kAll>
unsigned FinderBase::search(std::size_t pos, unsigned maxLen, unsigned depth, unsigned nice,
                            Match* out) const {
  if (maxLen < 3) return 0;
  const std::uint8_t* const cur = w_.window + pos;
  const unsigned limit = static_cast<unsigned>(std::min<std::size_t>(dictSize_, pos));
  unsigned best = 2;
  unsigned count = 0;
  std::uint16_t cand = w_.chain.head[hash3<kChainHashBits>(pos)];
  unsigned dist = age(pos, cand);
  while (dist != 0 && dist <= limit && depth-- > 0) {
    const std::uint8_t* const prior = cur - dist;
    if (prior[best] == cur[best] && prior[0] == cur[0]) {
      const unsigned len = matchLength(prior, cur, maxLen);
      if (len > best) {
        best = len;
        if (kAll && count == kMaxCandidates) --count;
        if (kAll || count == 0) ++count;
        out[count - 1] = Match{static_cast<std::uint16_t>(len), static_cast<std::uint16_t>(dist)};
        if (len >= nice || len == maxLen) break;
      }
    }
    cand = w_.chain.prev[cand & (kMaxDistance - 1)];
    const unsigned next = age(pos, cand);
    // Chains only ever lead to older positions; anything else is a reused slot.
    if (next <= dist) break;
    dist = next;
  }
  return count;
}

template unsigned FinderBase::search<true>(std::size_t, unsigned, unsigned, unsigned,
                                           Match*) const;
template unsigned FinderBase::search<false>(std::size_t, unsigned, unsigned, unsigned,
                                            Match*) const;

}  // namespace saverkit::implode::detail
