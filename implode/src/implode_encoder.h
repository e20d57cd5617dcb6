// The implode driver: owns the window over the input, the chains and the bit writer, and
// hands fixed-size blocks to a parser chosen by the compression level.
#pragma once

#include "encoder_state.h"

namespace saverkit::implode::detail {

struct LevelParams {
  bool optimal;    // shortest-path parse over exact bit costs, or a greedy parse
  bool tree;       // optimal only: search binary trees (slower, finds more) instead of chains
  bool lazy;       // greedy only: let a longer match at the next byte win
  unsigned depth;  // chain links followed per position
  unsigned nice;   // a match this long is taken at once, without looking further
  // Optimal only: the positions inside a match at least this long are not searched; the
  // parser prices only a literal and the rest of that match from them. 0 searches them all.
  unsigned cover;
};

LevelParams levelParams(Level level);

class Encoder {
 public:
  Encoder(EncoderWork& work, SaverkitWriteBuf write, void* param, const ImplodeOptions& options,
          const LevelParams& params);

  MatchFinder& finder() { return chain_; }
  TreeFinder& tree() { return tree_; }
  const LevelParams& params() const { return params_; }
  EncoderWork& work() { return work_; }
  const std::uint8_t* window() const { return work_.window; }
  std::size_t avail() const { return avail_; }
  bool asciiLiterals() const { return ascii_; }

  const EncodeTables& tables() const { return tables_; }
  unsigned dictBits() const { return dictBits_; }

  unsigned literalCost(std::uint8_t b) const {
    return ascii_ ? tables_.asciiLiteral[b].count : 9u;
  }
  // Bits for the distance part of a match of three or more.
  unsigned distanceCost(unsigned dist) const {
    return tables_.distanceBits[(dist - 1) >> dictBits_] + dictBits_;
  }
  unsigned matchCost(unsigned len, unsigned dist) const {
    const unsigned low = len == 2 ? 2 : dictBits_;
    return tables_.lengthBits[len] + tables_.distanceBits[(dist - 1) >> low] + low;
  }
  void emitLiteral(std::uint8_t b) {
    if (ascii_) {
      const BitField f = tables_.asciiLiteral[b];
      writer_.put(f.bits, f.count);
    } else {
      writer_.put(static_cast<std::uint32_t>(b) << 1, 9);
    }
  }
  void emitMatch(unsigned len, unsigned dist) {
    const unsigned low = len == 2 ? 2 : dictBits_;
    const BitField l = tables_.length[len];
    const BitField d = tables_.distanceCode[(dist - 1) >> low];
    writer_.put(l.bits, l.count);
    writer_.put(d.bits | (((dist - 1) & ((1u << low) - 1)) << d.count), d.count + low);
  }

  // Reads the whole input through `read`, emitting the stream as it goes.
  void run(SaverkitReadBuf read, void* readParam);

 private:
  void refillWindow(SaverkitReadBuf read, void* readParam);

  const EncodeTables& tables_;
  EncoderWork& work_;
  LevelParams params_;
  MatchFinder chain_;
  TreeFinder tree_;
  BitWriter writer_;
  bool ascii_;
  unsigned dictBits_;
  std::size_t avail_ = 0;
  bool inputEnded_ = false;
  std::size_t pos_ = 0;
};

// Parse [pos, end) and emit its tokens; the last token may run past `end` (but never past
// the available input). Returns the position after the last emitted token.
std::size_t parseLazy(Encoder& enc, std::size_t pos, std::size_t end, const LevelParams& params);
std::size_t parseOptimal(Encoder& enc, std::size_t pos, std::size_t end, const LevelParams& params);

Status implodeWithWorkArea(SaverkitReadBuf read, SaverkitWriteBuf write, void* param,
                           void* workArea, const ImplodeOptions& options);

}  // namespace saverkit::implode::detail
