// Binary-tree match search for the optimal parser.
//
// Each hash bucket keeps its positions in a binary search tree ordered by the bytes that
// follow them, with every node newer than the nodes below it. Searching for the current
// position walks from the newest node down towards the strings that sort next to it, and
// inserting it splits the tree along that same path, so one walk does both. Any position
// nearer than the nearest one that shares L bytes would sort between the two and so lies on
// the path itself: the walk meets the nearest match of every length, which is exactly what
// an optimal parse needs, in a fraction of the steps a chain takes.
#include <algorithm>

#include "encoder_state.h"

namespace saverkit::implode::detail {

void TreeFinder::start() {
  tree_ = true;
  startPairs();
  std::fill(std::begin(w_.tree.root), std::end(w_.tree.root), farTag());
}

unsigned TreeFinder::insertAndFind(std::size_t pos, std::size_t avail, unsigned depth,
                                   unsigned nice, Match* out, Match& pair) {
  for (; next_ < pos && next_ + 2 <= avail; ++next_) notePair(next_);
  pair = findPair(pos, avail);
  next_ = pos + 1;
  if (pos + 2 <= avail) notePair(pos);
  if (pos + 3 > avail) return 0;
  const std::uint8_t* const cur = w_.window + pos;
  const unsigned maxLen = static_cast<unsigned>(std::min<std::size_t>(kMaxMatch, avail - pos));
  // The tree orders strings only this far; a node equal up to it is replaced by `pos`.
  const unsigned cap = std::min(maxLen, nice);
  // A node 4096 back shares its slot with `pos`, which is being rewritten.
  const unsigned limit =
      static_cast<unsigned>(std::min<std::size_t>({dictSize_, pos, kMaxDistance - 1}));
  std::uint16_t& root = w_.tree.root[hash3<kTreeHashBits>(pos)];
  std::uint16_t cand = root;
  root = tag(pos);
  std::uint16_t* const self = w_.tree.child + 2 * (tag(pos) & (kMaxDistance - 1));
  std::uint16_t* smaller = self;      // link that receives the next node sorting below `pos`
  std::uint16_t* larger = self + 1;   // and above it
  unsigned smallerLen = 0;            // bytes every node below `smaller` shares with `pos`
  unsigned largerLen = 0;
  unsigned best = 2;
  unsigned count = 0;
  for (;;) {
    const unsigned dist = age(pos, cand);
    if (dist == 0 || dist > limit || depth-- == 0) {
      *smaller = *larger = farTag();
      break;
    }
    std::uint16_t* const node = w_.tree.child + 2 * (cand & (kMaxDistance - 1));
    const std::uint8_t* const prior = cur - dist;
    unsigned len = std::min(smallerLen, largerLen);
    len += matchLength(prior + len, cur + len, cap - len);
    if (len > best) {
      // The prefix skipped above is only as sound as the tree; what gets emitted is checked.
      len = matchLength(prior, cur, len);
    }
    if (len > best) {
      best = len;
      if (count == kMaxCandidates) --count;
      out[count++] = Match{static_cast<std::uint16_t>(len), static_cast<std::uint16_t>(dist)};
      if (len == cap) {
        *smaller = node[0];
        *larger = node[1];
        break;
      }
    }
    if (prior[len] < cur[len]) {
      *smaller = cand;
      smaller = node + 1;
      smallerLen = len;
      cand = node[1];
    } else {
      *larger = cand;
      larger = node;
      largerLen = len;
      cand = node[0];
    }
  }
  // Past the tree's reach, the longest match is simply extended as far as it goes.
  if (count > 0 && best == cap && cap < maxLen) {
    Match& last = out[count - 1];
    last.len = static_cast<std::uint16_t>(matchLength(cur - last.dist, cur, maxLen));
  }
  return count;
}

}  // namespace saverkit::implode::detail
