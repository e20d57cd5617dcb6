// The implode driver and the fast parser.
//
// Input flows through a window of 4 KiB history plus two blocks, the optimal parser's
// lookahead and one maximal match. Before each block the window slides down (keeping exactly
// the history any distance can reach) and is topped up from read_buf, so a parser always sees
// a full match of lookahead unless the input has ended.
#include "implode_encoder.h"

#include <algorithm>
#include <memory>
#include <new>

namespace saverkit::implode::detail {

static_assert(sizeof(EncoderWork) + alignof(EncoderWork) - 1 <= kImplodeWorkSize,
              "implode must fit the caller's work area");
static_assert(kSweepInterval + kWindowSize + 4 * kMaxDistance < 0x10000,
              "table entries must never age past 16 bits between sweeps");

LevelParams levelParams(Level level) {
  switch (level) {
    case Level::kFast:
      return LevelParams{false, false, false, 8, 32, 0};
    case Level::kBest:
      return LevelParams{true, true, false, 48, 128, 0};
    case Level::kDefault:
      break;
  }
  // Chains followed deep, for the far matches that the shortest path turns into savings,
  // paid for by not searching inside matches of 16 bytes or more.
  return LevelParams{true, false, false, 64, 64, 16};
}

Encoder::Encoder(EncoderWork& work, SaverkitWriteBuf write, void* param,
                 const ImplodeOptions& options, const LevelParams& params)
    : tables_(encodeTables()),
      work_(work),
      params_(params),
      chain_(work, options.dictSize),
      tree_(work, options.dictSize),
      writer_(work.out, write, param),
      ascii_(options.mode == LiteralMode::kAscii),
      dictBits_(options.dictSize == 1024 ? 4u : options.dictSize == 2048 ? 5u : 6u) {
  if (params.tree) {
    tree_.start();
  } else {
    chain_.start();
  }
  writer_.putByte(ascii_ ? 1 : 0);
  writer_.putByte(static_cast<std::uint8_t>(dictBits_));
}

void Encoder::refillWindow(SaverkitReadBuf read, void* readParam) {
  if (inputEnded_) return;
  if (pos_ + kBlockSize + kLookahead + kMaxMatch > kWindowSize) {
    const std::size_t shift = pos_ - kMaxDistance;
    std::memmove(work_.window, work_.window + shift, avail_ - shift);
    avail_ -= shift;
    pos_ -= shift;
    if (params_.tree) {
      tree_.slide(shift);
    } else {
      chain_.slide(shift);
    }
  }
  while (avail_ < kWindowSize) {
    unsigned want = static_cast<unsigned>(kWindowSize - avail_);
    const unsigned asked = want;
    const unsigned got = read(reinterpret_cast<char*>(work_.window + avail_), &want, readParam);
    if (got == 0) {
      inputEnded_ = true;
      break;
    }
    avail_ += std::min(got, asked);
  }
}

void Encoder::run(SaverkitReadBuf read, void* readParam) {
  const LevelParams& params = params_;
  for (;;) {
    refillWindow(read, readParam);
    if (pos_ >= avail_) break;
    const std::size_t end = std::min(pos_ + kBlockSize, avail_);
    pos_ = params.optimal ? parseOptimal(*this, pos_, end, params)
                          : parseLazy(*this, pos_, end, params);
  }
  const BitField stop = encodeTables().length[kEndOfStream];
  writer_.put(stop.bits, stop.count);
  writer_.finish();
}

namespace {

Match bestMatch(Encoder& enc, std::size_t pos, const LevelParams& params) {
  const unsigned maxLen =
      static_cast<unsigned>(std::min<std::size_t>(kMaxMatch, enc.avail() - pos));
  const Match m = enc.finder().findLongest(pos, maxLen, params.depth, params.nice);
  return m.len != 0 ? m : enc.finder().findPair(pos, enc.avail());
}

// A match is only worth it when it codes in fewer bits than the literals it replaces; in
// ASCII mode common letters cost as little as five bits, so short far matches often lose.
// Binary literals cost nine bits, which every match beats.
bool pays(const Encoder& enc, const std::uint8_t* bytes, Match m) {
  if (m.len == 0) return false;
  if (!enc.asciiLiterals()) return true;
  unsigned literals = 0;
  for (unsigned i = 0; i < m.len; ++i) literals += enc.literalCost(bytes[i]);
  return enc.matchCost(m.len, m.dist) < literals;
}

}  // namespace

std::size_t parseLazy(Encoder& enc, std::size_t pos, std::size_t end, const LevelParams& params) {
  MatchFinder& finder = enc.finder();
  const std::uint8_t* const w = enc.window();
  const std::size_t avail = enc.avail();
  Match m{0, 0};
  bool carried = false;
  while (pos < end) {
    if (!carried) m = bestMatch(enc, pos, params);
    carried = false;
    finder.insertThrough(pos, avail);
    if (!pays(enc, w + pos, m)) {
      enc.emitLiteral(w[pos++]);
      continue;
    }
    // One step of lazy evaluation: a longer match starting at the next byte wins.
    if (params.lazy && m.len < params.nice && pos + 1 < avail) {
      const Match next = bestMatch(enc, pos + 1, params);
      if (next.len > m.len && pays(enc, w + pos + 1, next)) {
        enc.emitLiteral(w[pos++]);
        m = next;
        carried = true;
        continue;
      }
    }
    enc.emitMatch(m.len, m.dist);
    pos += m.len;
    finder.insertThrough(pos - 1, avail);
  }
  return pos;
}

Status implodeWithWorkArea(SaverkitReadBuf read, SaverkitWriteBuf write, void* param,
                           void* workArea, const ImplodeOptions& options) {
  if (options.dictSize != 1024 && options.dictSize != 2048 && options.dictSize != 4096) {
    return Status::kInvalidDictSize;
  }
  if (options.mode != LiteralMode::kBinary && options.mode != LiteralMode::kAscii) {
    return Status::kInvalidMode;
  }
  // Callers hand us a char buffer; align inside it rather than demand alignment from them.
  void* p = workArea;
  std::size_t space = kImplodeWorkSize;
  std::align(alignof(EncoderWork), sizeof(EncoderWork), p, space);
  EncoderWork* work = new (p) EncoderWork;
  Encoder encoder(*work, write, param, options, levelParams(options.level));
  encoder.run(read, param);
  return Status::kOk;
}

}  // namespace saverkit::implode::detail
