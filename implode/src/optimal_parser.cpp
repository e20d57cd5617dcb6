// The default and best levels: an optimal parse of each block under the format's fixed codes.
//
// Because the codes never change, the exact cost in bits of every literal and every
// (length, distance) pair is known up front, so the cheapest way to code a block is a
// shortest path over its positions. The chain returns matches with strictly growing lengths
// at growing distances, and a nearer distance never costs more, so for each length the first
// candidate reaching it is the cheapest. Very long matches are taken outright to keep highly
// repetitive input fast.
#include <algorithm>

#include "implode_encoder.h"

namespace saverkit::implode::detail {
namespace {

constexpr std::uint16_t kUnreached = 0xFFFF;

void relax(ParseNode* nodes, std::size_t at, unsigned cost, unsigned len, unsigned dist) {
  if (cost < nodes[at].cost) {
    nodes[at].cost = static_cast<std::uint16_t>(cost);
    nodes[at].len = static_cast<std::uint16_t>(len);
    nodes[at].dist = static_cast<std::uint16_t>(dist);
  }
}

// Relaxes every token that starts at block offset i; returns the longest match length seen.
unsigned expandPosition(Encoder& enc, ParseNode* nodes, std::size_t i, std::size_t pos,
                        const LevelParams& params, Match* cands) {
  const std::uint8_t* const w = enc.window();
  const unsigned base = nodes[i].cost;
  relax(nodes, i + 1, base + enc.literalCost(w[pos]), 1, 0);
  const unsigned maxLen =
      static_cast<unsigned>(std::min<std::size_t>(kMaxMatch, enc.avail() - pos));
  const Match pair = enc.finder().findPair(pos, enc.avail());
  if (pair.len == 2) relax(nodes, i + 2, base + enc.matchCost(2, pair.dist), 2, pair.dist);
  const unsigned n = enc.finder().findMatches(pos, maxLen, params.depth, params.nice, cands);
  unsigned from = 3;
  for (unsigned c = 0; c < n; ++c) {
    const unsigned dist = cands[c].dist;
    for (unsigned len = from; len <= cands[c].len; ++len) {
      relax(nodes, i + len, base + enc.matchCost(len, dist), len, dist);
    }
    from = cands[c].len + 1u;
  }
  return n > 0 ? cands[n - 1].len : pair.len;
}

// Walks the cheapest path back from `last`, leaving in each start node the length of the
// step taken from it, then emits the tokens front to back.
void emitPath(Encoder& enc, ParseNode* nodes, std::size_t last, std::size_t pos) {
  std::size_t at = last;
  while (at > 0) {
    const std::size_t len = nodes[at].len;
    nodes[at - len].cost = static_cast<std::uint16_t>(len);
    at -= len;
  }
  const std::uint8_t* const w = enc.window();
  for (std::size_t i = 0; i < last;) {
    const std::size_t len = nodes[i].cost;
    if (len == 1) {
      enc.emitLiteral(w[pos + i]);
    } else {
      enc.emitMatch(static_cast<unsigned>(len), nodes[i + len].dist);
    }
    i += len;
  }
}

}  // namespace

std::size_t parseOptimal(Encoder& enc, std::size_t pos, std::size_t end, const LevelParams& params) {
  ParseNode* const nodes = enc.work().nodes;
  MatchFinder& finder = enc.finder();
  const std::size_t avail = enc.avail();
  const std::size_t span = end - pos;
  std::fill(nodes, nodes + span + kMaxMatch + 1, ParseNode{kUnreached, 0, 0});
  nodes[0].cost = 0;
  Match cands[kMaxCandidates];
  std::size_t i = 0;
  while (i < span) {
    const unsigned longest = expandPosition(enc, nodes, i, pos + i, params, cands);
    finder.insert(pos + i, avail);
    if (longest >= params.nice) {
      for (std::size_t k = 1; k < longest; ++k) finder.insert(pos + i + k, avail);
      i += longest;
    } else {
      ++i;
    }
  }
  emitPath(enc, nodes, i, pos);
  return pos + i;
}

}  // namespace saverkit::implode::detail
