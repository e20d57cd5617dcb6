// The explode side of the codec: turns an implode stream back into the original bytes.
//
// Speed comes from three choices. Bits are kept in a 64-bit buffer that is refilled without
// branches while the staged input has eight bytes to spare, so one refill covers any token.
// Every code is resolved with a single table lookup. Output goes into a linear window in the
// work area and leaves through write_buf in chunks of several kilobytes, after which the last
// 4 KiB slide down as the dictionary for what follows. Near the end of the input the same
// token decoder runs with explicit bit accounting instead, so truncated streams are caught
// exactly and never read past what the callback delivered.
#include "explode_decoder.h"

#include <algorithm>
#include <cstring>

#include "code_tables.h"

namespace saverkit::implode::detail {
namespace {

static_assert(kExplodeWindowSize > 2 * kMaxDistance + kMaxMatch,
              "the window must hold the history plus a worthwhile flush chunk");

// A match may write up to 15 bytes past its end because it copies in 16-byte steps.
constexpr std::size_t kCopySlack = 16;
constexpr std::size_t kFastInputMargin = 8;

enum class Step { kContinue, kEnd, kNeedInput, kTruncated, kBadDistance };

std::uint64_t load64(const std::uint8_t* p) {
  std::uint64_t v;
  std::memcpy(&v, p, sizeof v);
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
  v = __builtin_bswap64(v);
#endif
  return v;
}

void copyMatch(std::uint8_t* out, std::size_t dist, unsigned len) {
  const std::uint8_t* src = out - dist;
  std::uint8_t* const end = out + len;
  if (dist >= 16) {
    do {
      std::memcpy(out, src, 16);
      out += 16;
      src += 16;
    } while (out < end);
  } else if (dist >= 8) {
    do {
      std::memcpy(out, src, 8);
      out += 8;
      src += 8;
    } while (out < end);
  } else if (dist == 1) {
    // Runs are mostly short; 8-byte pattern stores beat a call into memset.
    const std::uint64_t pattern = *src * 0x0101010101010101ull;
    do {
      std::memcpy(out, &pattern, 8);
      out += 8;
    } while (out < end);
  } else {
    for (unsigned i = 0; i < len; ++i) out[i] = src[i];
  }
}

// The state a token decode touches. The hot loop keeps a local copy, which the compiler can
// hold in registers: output stores go through a byte pointer, and through that pointer the
// compiler must assume any member of the decoder could change.
struct Cursor {
  std::uint64_t bits;
  unsigned bitCount;
  const std::uint8_t* in;
  std::uint8_t* out;

  void consume(unsigned n) {
    bits >>= n;
    bitCount -= n;
  }
};

class Decoder {
 public:
  Decoder(SaverkitReadBuf read, SaverkitWriteBuf write, void* param, std::uint8_t* work)
      : read_(read), write_(write), param_(param), inBuf_(work), window_(work + kExplodeInputSize) {
    in_ = inEnd_ = inBuf_;
    out_ = flushed_ = window_;
    flushLimit_ = window_ + kExplodeWindowSize - kMaxMatch - kCopySlack;
  }

  Status run();

 private:
  Status readHeader();
  void fillInput();
  void flush();
  void slideWindow();
  template <bool kChecked>
  Step decodeToken(Cursor& c) const;
  Cursor cursor() const { return Cursor{bits_, bitCount_, in_, out_}; }
  void store(const Cursor& c) {
    bits_ = c.bits;
    bitCount_ = c.bitCount;
    in_ = c.in;
    out_ = c.out;
  }
  Step decodeFast();
  Step decodeChecked();

  SaverkitReadBuf read_;
  SaverkitWriteBuf write_;
  void* param_;
  std::uint8_t* inBuf_;
  std::uint8_t* window_;
  const std::uint8_t* in_;
  const std::uint8_t* inEnd_;
  bool inputEnded_ = false;
  std::uint64_t bits_ = 0;
  unsigned bitCount_ = 0;
  std::uint8_t* out_;
  std::uint8_t* flushed_;
  std::uint8_t* flushLimit_;
  unsigned dictBits_ = 0;
  bool ascii_ = false;
};

// Tops the staging buffer up to capacity. Callbacks may deliver any amount per call, so we
// keep asking until the buffer is full or the callback reports the end with a zero.
void Decoder::fillInput() {
  const std::size_t kept = static_cast<std::size_t>(inEnd_ - in_);
  std::memmove(inBuf_, in_, kept);
  in_ = inBuf_;
  std::uint8_t* end = inBuf_ + kept;
  while (!inputEnded_ && end < inBuf_ + kExplodeInputSize) {
    unsigned want = static_cast<unsigned>(inBuf_ + kExplodeInputSize - end);
    const unsigned asked = want;
    const unsigned got = read_(reinterpret_cast<char*>(end), &want, param_);
    if (got == 0) {
      inputEnded_ = true;
    } else {
      end += std::min(got, asked);
    }
  }
  inEnd_ = end;
}

void Decoder::flush() {
  while (flushed_ < out_) {
    unsigned size = static_cast<unsigned>(std::min<std::ptrdiff_t>(out_ - flushed_, 0x7fffffff));
    write_(reinterpret_cast<char*>(flushed_), &size, param_);
    flushed_ = out_;
  }
}

// Once the window is nearly full, everything new goes out and only the last 4 KiB, the
// largest distance the format can name, stay behind as history.
void Decoder::slideWindow() {
  flush();
  std::memmove(window_, out_ - kMaxDistance, kMaxDistance);
  out_ = flushed_ = window_ + kMaxDistance;
}

Status Decoder::readHeader() {
  fillInput();
  if (inEnd_ - in_ < 2) return Status::kBadData;
  const unsigned mode = in_[0];
  const unsigned dictBits = in_[1];
  in_ += 2;
  if (dictBits < 4 || dictBits > kMaxDictBits) return Status::kInvalidDictSize;
  if (mode > 1) return Status::kInvalidMode;
  ascii_ = mode == 1;
  dictBits_ = dictBits;
  return Status::kOk;
}

template <bool kChecked>
Step Decoder::decodeToken(Cursor& c) const {
  const DecodeTables& t = decodeTables();
  const Step shortage = inputEnded_ ? Step::kTruncated : Step::kNeedInput;
  if (kChecked && c.bitCount < 1) return shortage;
  const std::uint64_t bits = c.bits;
  if ((bits & 1) == 0) {
    unsigned n = 9;
    unsigned literal = static_cast<unsigned>(bits >> 1) & 0xff;
    if (ascii_) {
      const unsigned entry = t.literal[(bits >> 1) & ((1u << kLitPeekBits) - 1)];
      n = 1 + (entry >> 8);
      literal = entry & 0xff;
    }
    if (kChecked && c.bitCount < n) return shortage;
    *c.out++ = static_cast<std::uint8_t>(literal);
    c.consume(n);
    return Step::kContinue;
  }
  const LengthDecode le = t.length[(bits >> 1) & ((1u << kLenPeekBits) - 1)];
  const unsigned lenBits = 1u + le.codeBits + le.extraBits;
  if (kChecked && c.bitCount < lenBits) return shortage;
  const unsigned len =
      le.base + (static_cast<unsigned>(bits >> (1 + le.codeBits)) & ((1u << le.extraBits) - 1));
  if (len == kEndOfStream) {
    c.consume(lenBits);
    return Step::kEnd;
  }
  const std::uint64_t rest = bits >> lenBits;
  const DistanceDecode de = t.distance[rest & ((1u << kDistPeekBits) - 1)];
  const unsigned lowBits = len == 2 ? 2 : dictBits_;
  const unsigned total = lenBits + de.codeBits + lowBits;
  if (kChecked && c.bitCount < total) return shortage;
  const std::size_t dist = (static_cast<std::size_t>(de.highBits) << lowBits) +
                           (static_cast<std::size_t>(rest >> de.codeBits) & ((1u << lowBits) - 1)) + 1;
  if (dist > static_cast<std::size_t>(c.out - window_)) return Step::kBadDistance;
  c.consume(total);
  copyMatch(c.out, dist, len);
  c.out += len;
  return Step::kContinue;
}

// The hot loop: no bit accounting, because a refill leaves at least 56 bits and the longest
// token takes 30.
Step Decoder::decodeFast() {
  Cursor c = cursor();
  Step step = Step::kContinue;
  while (static_cast<std::size_t>(inEnd_ - c.in) >= kFastInputMargin && c.out < flushLimit_) {
    c.bits |= load64(c.in) << c.bitCount;
    c.in += (63 - c.bitCount) >> 3;
    c.bitCount |= 56;
    step = decodeToken<false>(c);
    if (step != Step::kContinue) break;
    // A token takes at most 30 bits, so a second one often fits without another refill.
    if (c.bitCount >= 30 && c.out < flushLimit_) {
      step = decodeToken<false>(c);
      if (step != Step::kContinue) break;
    }
  }
  store(c);
  return step;
}

// Byte-at-a-time refill that never looks past the delivered input and stops below 64 bits,
// which keeps the shift in the fast refill defined when decoding switches back to it.
Step Decoder::decodeChecked() {
  Cursor c = cursor();
  while (c.bitCount < 56 && c.in < inEnd_) {
    c.bits |= static_cast<std::uint64_t>(*c.in++) << c.bitCount;
    c.bitCount += 8;
  }
  const Step step = decodeToken<true>(c);
  store(c);
  return step;
}

Status Decoder::run() {
  const Status header = readHeader();
  if (header != Status::kOk) return header;
  for (;;) {
    if (out_ >= flushLimit_) slideWindow();
    if (!inputEnded_ && static_cast<std::size_t>(inEnd_ - in_) < kFastInputMargin) fillInput();
    Step step = decodeFast();
    if (step == Step::kContinue && out_ < flushLimit_ &&
        static_cast<std::size_t>(inEnd_ - in_) < kFastInputMargin) {
      step = decodeChecked();
      if (step == Step::kNeedInput) {
        fillInput();
        step = Step::kContinue;
      }
    }
    switch (step) {
      case Step::kContinue:
      case Step::kNeedInput:
        continue;
      case Step::kEnd:
        flush();
        return Status::kOk;
      case Step::kTruncated:
        flush();
        return Status::kAbort;
      case Step::kBadDistance:
        flush();
        return Status::kBadData;
    }
  }
}

}  // namespace

Status explodeWithWorkArea(SaverkitReadBuf read, SaverkitWriteBuf write, void* param,
                           std::uint8_t* workArea) {
  Decoder decoder(read, write, param, workArea);
  return decoder.run();
}

}  // namespace saverkit::implode::detail
