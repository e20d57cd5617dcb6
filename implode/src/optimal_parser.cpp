// The default and best levels: an optimal parse of each block under the format's fixed codes.
//
// Because the codes never change, the exact cost in bits of every literal and every
// (length, distance) pair is known up front, so the cheapest way to code a block is a
// shortest path over its positions. The tree returns matches with strictly growing lengths
// at growing distances, and a nearer distance never costs more, so for each length the first
// candidate reaching it is the cheapest.
//
// The path is priced a little past the block's end and only its part up to the first token
// boundary at or after the end is emitted, so a match may straddle the boundary instead of
// being cut there; positions past that point are priced again with the next block, from
// matches stored the first time. A very long match ends the block at once: the cheapest path
// to its start and the match itself are emitted, which keeps repetitive input fast. The
// default level goes further and does not search inside a merely long match (see
// LevelParams::cover): there the search costs the most and a different token is the least
// likely to pay, which is what lets it follow its chains deep enough to come within 1 % of
// the best possible stream on our benchmark corpus and still outrun the peer library.
#include <algorithm>

#include "implode_encoder.h"

namespace saverkit::implode::detail {
namespace {

constexpr std::uint16_t kUnreached = 0xFFFF;

struct Lattice {
  std::uint16_t* cost;
  std::uint32_t* step;  // length | distance << 16 of the token that reaches the position

  void relax(std::size_t at, unsigned bits, unsigned len, unsigned dist) {
    if (bits < cost[at]) {
      cost[at] = static_cast<std::uint16_t>(bits);
      step[at] = len | dist << 16;
    }
  }
};

struct Found {
  unsigned count;
  Match pair;
  const Match* matches;
};

unsigned searchFresh(MatchFinder& chain, std::size_t pos, std::size_t avail,
                     const LevelParams& params, Match* cands, Match& pair) {
  pair = chain.findPair(pos, avail);
  const unsigned maxLen = static_cast<unsigned>(std::min<std::size_t>(kMaxMatch, avail - pos));
  const unsigned n = chain.findMatches(pos, maxLen, params.depth, params.nice, cands);
  chain.insertThrough(pos, avail);
  return n;
}

unsigned searchFresh(TreeFinder& tree, std::size_t pos, std::size_t avail,
                     const LevelParams& params, Match* cands, Match& pair) {
  return tree.insertAndFind(pos, avail, params.depth, params.nice, cands, pair);
}

// Positions inside a long match still join the index, so later searches can find them.
void skipThrough(MatchFinder& chain, std::size_t last, std::size_t avail, const LevelParams&,
                 Match*) {
  chain.insertThrough(last, avail);
}

void skipThrough(TreeFinder& tree, std::size_t last, std::size_t avail,
                 const LevelParams& params, Match* scratch) {
  Match pair;
  for (std::size_t p = tree.firstUnindexed(); p <= last; ++p) {
    tree.insertAndFind(p, avail, params.depth, params.nice, scratch, pair);
  }
}

template <class Finder>
StoredMatches& slotFor(Encoder& enc, const Finder& finder, std::size_t pos) {
  return enc.work().stored[finder.tag(pos) % kLookahead];
}

template <class Finder>
void keep(StoredMatches& slot, const Finder& finder, std::size_t pos, const Found& f) {
  const unsigned kept = std::min(f.count, kStoredMatches);
  slot.tag = finder.tag(pos);
  slot.count = static_cast<std::uint16_t>(kept);
  slot.pairDist = f.pair.dist;
  std::copy(f.matches + f.count - kept, f.matches + f.count, slot.matches);
}

// The tokens that start at `pos`: searched afresh, or as stored when an earlier block priced
// the position in its lookahead. Positions at or past `span` are stored for the next block.
template <class Finder>
Found gather(Encoder& enc, Finder& finder, std::size_t pos, bool keepIt, Match* cands) {
  StoredMatches& slot = slotFor(enc, finder, pos);
  if (finder.indexed(pos)) {
    if (slot.tag != finder.tag(pos)) return Found{0, Match{0, 0}, cands};
    const Match pair{static_cast<std::uint16_t>(slot.pairDist != 0 ? 2 : 0), slot.pairDist};
    return Found{slot.count, pair, slot.matches};
  }
  Found f{0, Match{0, 0}, cands};
  f.count = searchFresh(finder, pos, enc.avail(), enc.params(), cands, f.pair);
  if (keepIt) keep(slot, finder, pos, f);
  return f;
}

// Relaxes every token that starts at block offset i.
void expandPosition(Encoder& enc, Lattice& lat, std::size_t i, std::size_t pos, const Found& f) {
  const unsigned base = lat.cost[i];
  lat.relax(i + 1, base + enc.literalCost(enc.window()[pos]), 1, 0);
  if (f.pair.len == 2) lat.relax(i + 2, base + enc.matchCost(2, f.pair.dist), 2, f.pair.dist);
  const std::uint8_t* const lengthBits = enc.tables().lengthBits.data();
  unsigned from = 3;
  for (unsigned c = 0; c < f.count; ++c) {
    const unsigned dist = f.matches[c].dist;
    const unsigned head = base + enc.distanceCost(dist);
    for (unsigned len = from; len <= f.matches[c].len; ++len) {
      lat.relax(i + len, head + lengthBits[len], len, dist);
    }
    from = f.matches[c].len + 1u;
  }
}

// Walks the cheapest path back from `last`, leaving in each start node the length of the
// step taken from it, then emits the tokens front to back until one ends at or past `span`.
std::size_t emitPath(Encoder& enc, Lattice& lat, std::size_t last, std::size_t span,
                     std::size_t pos) {
  std::size_t at = last;
  while (at > 0) {
    const std::size_t len = lat.step[at] & 0xFFFF;
    lat.cost[at - len] = static_cast<std::uint16_t>(len);
    at -= len;
  }
  const std::uint8_t* const w = enc.window();
  std::size_t i = 0;
  while (i < span) {
    const std::size_t len = lat.cost[i];
    if (len == 1) {
      enc.emitLiteral(w[pos + i]);
    } else {
      enc.emitMatch(static_cast<unsigned>(len), lat.step[i + len] >> 16);
    }
    i += len;
  }
  return i;
}

// A position inside a covering match (see LevelParams::cover) is only indexed, not searched;
// from it the lattice gets a literal and the rest of that match, the one token that may
// still pay there. A position in the lookahead keeps that rest for the next block.
template <class Finder>
void priceCovered(Encoder& enc, Finder& finder, Lattice& lat, std::size_t i, std::size_t pos,
                  bool keepIt, Match rest, Match* scratch) {
  skipThrough(finder, pos, enc.avail(), enc.params(), scratch);
  const unsigned base = lat.cost[i];
  lat.relax(i + 1, base + enc.literalCost(enc.window()[pos]), 1, 0);
  const unsigned count = rest.len >= 3 ? 1 : 0;
  if (count != 0) {
    lat.relax(i + rest.len, base + enc.matchCost(rest.len, rest.dist), rest.len, rest.dist);
  }
  if (keepIt) keep(slotFor(enc, finder, pos), finder, pos, Found{count, Match{0, 0}, &rest});
}

template <class Finder>
std::size_t parseWith(Encoder& enc, Finder& finder, std::size_t pos, std::size_t end) {
  Lattice lat{enc.work().cost, enc.work().step};
  const LevelParams& params = enc.params();
  const std::size_t span = end - pos;
  const std::size_t horizon = std::min(end + kLookahead, enc.avail()) - pos;
  std::fill(lat.cost, lat.cost + horizon + kMaxMatch + 1, kUnreached);
  lat.cost[0] = 0;
  Match cands[kMaxCandidates];
  // Long matches come in runs of repeated text, where every position inside one has a long
  // match too and searching them all costs the most for the least. A covering match spans
  // block offsets [.., coverEnd) at distance coverDist.
  std::size_t coverEnd = 0;
  unsigned coverDist = 0;
  for (std::size_t i = 0; i < horizon; ++i) {
    if (i < coverEnd) {
      const Match rest{static_cast<std::uint16_t>(coverEnd - i),
                       static_cast<std::uint16_t>(coverDist)};
      priceCovered(enc, finder, lat, i, pos + i, i >= span, rest, cands);
      continue;
    }
    const Found f = gather(enc, finder, pos + i, i >= span, cands);
    expandPosition(enc, lat, i, pos + i, f);
    if (f.count == 0) continue;
    const Match m = f.matches[f.count - 1];
    if (m.len >= params.nice) {
      emitPath(enc, lat, i, i, pos);
      enc.emitMatch(m.len, m.dist);
      skipThrough(finder, pos + i + m.len - 1, enc.avail(), params, cands);
      return pos + i + m.len;
    }
    if (params.cover != 0 && m.len >= params.cover) {
      coverEnd = i + m.len;
      coverDist = m.dist;
    }
  }
  return pos + emitPath(enc, lat, horizon, span, pos);
}

}  // namespace

std::size_t parseOptimal(Encoder& enc, std::size_t pos, std::size_t end, const LevelParams& params) {
  return params.tree ? parseWith(enc, enc.tree(), pos, end) : parseWith(enc, enc.finder(), pos, end);
}

}  // namespace saverkit::implode::detail
