// The explode side of the codec: turns an implode stream back into the original bytes.
//
// Speed comes from four choices. Bits are kept in a buffer as wide as the target's registers
// that is refilled without branches while the staged input has eight bytes to spare, so the
// hot loop never counts bits. Every code is resolved with a single table lookup, whose entries
// hold what the arithmetic needs rather than what the code looks like. The whole token decode
// is inlined into a loop specialised for the literal mode, with the state in locals: on i686,
// where impborl.dll runs, that is what keeps it in registers. Output goes into a linear window
// in the work area and leaves through write_buf in chunks of several kilobytes, after which the
// last 4 KiB slide down as the dictionary for what follows. Near the end of the input the same
// token decoder runs with explicit bit accounting instead, so truncated streams are caught
// exactly and never read past what the callback delivered.
#include "explode_decoder.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "code_tables.h"

#if defined(__GNUC__) || defined(__clang__)
// GCC at -O2 for i686 otherwise leaves the token decoder and the match copy out of line, called
// once per token with the decoder's state in memory: half the speed of the inlined loop.
#define SAVERKIT_ALWAYS_INLINE inline __attribute__((always_inline))
#else
#define SAVERKIT_ALWAYS_INLINE inline
#endif

namespace saverkit::implode::detail {
namespace {

static_assert(kExplodeWindowSize > 2 * kMaxDistance + kMaxMatch,
              "the window must hold the history plus a worthwhile flush chunk");

// A match may write up to 15 bytes past its end because it copies in 16-byte steps.
constexpr std::size_t kCopySlack = 16;
// A 64-bit refill loads eight bytes. A 32-bit buffer is refilled twice in a match, four bytes
// each time and at most three bytes apart.
constexpr std::size_t kFastInputMargin = 8;
// The longest token: flag, 7-bit length code, 8 extra bits, 8-bit distance code, 6 low bits.
constexpr unsigned kMaxTokenBits = 30;

enum class Step { kContinue, kEnd, kNeedInput, kTruncated, kBadDistance };

template <typename Word>
SAVERKIT_ALWAYS_INLINE Word loadWord(const std::uint8_t* p) {
  Word v;
  std::memcpy(&v, p, sizeof v);
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
  if constexpr (sizeof v == 8) {
    v = __builtin_bswap64(v);
  } else {
    v = __builtin_bswap32(v);
  }
#endif
  return v;
}

SAVERKIT_ALWAYS_INLINE void copyMatch(std::uint8_t* out, std::size_t dist, unsigned len) {
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

// The state a token decode touches: bits taken ahead of the input pointer into a buffer word,
// and the output pointer. The hot loop keeps a local copy, which the compiler can hold in
// registers: output stores go through a byte pointer, and through that pointer the compiler
// must assume any member of the decoder could change.
//
// Bits above bitCount are either zero or the stream's own next bits, so a refill may OR the
// same input bytes in again.
template <typename Word>
struct BufferedBits {
  // What a refill leaves at least.
  static constexpr unsigned kPeekBits = sizeof(Word) * 8 - 8;

  Word bits;
  unsigned bitCount;
  const std::uint8_t* in;
  std::uint8_t* out;

  Word peek() const { return bits; }
  void consume(unsigned n) {
    bits >>= n;
    bitCount -= n;
  }
  // Tops the buffer up from a whole word of input, which the caller guarantees is there; only
  // the bytes that fitted count as read.
  SAVERKIT_ALWAYS_INLINE void refill() {
    bits |= loadWord<Word>(in) << bitCount;
    in += (sizeof(Word) * 8 - 1 - bitCount) >> 3;
    bitCount |= kPeekBits;
  }
};

using CheckedBits = BufferedBits<std::uint64_t>;

// Checked decoding works in 64 bits, which hold any token whole. On the way back, whole bytes
// a narrower buffer cannot take are returned to the input, where they still are; that also
// keeps the shift in the fast refill defined.
template <typename Word>
CheckedBits toChecked(const BufferedBits<Word>& r) {
  return CheckedBits{r.bits, r.bitCount, r.in, r.out};
}
template <typename Word>
void fromChecked(CheckedBits c, BufferedBits<Word>& r) {
  while (c.bitCount >= sizeof(Word) * 8) {
    --c.in;
    c.bitCount -= 8;
  }
  r = BufferedBits<Word>{static_cast<Word>(c.bits), c.bitCount, c.in, c.out};
}

// What a token decode needs besides the bits, in a form the hot loop can keep as locals.
struct TokenContext {
  const std::uint8_t* windowStart;  // nothing before it is history
  const DistanceDecode* distances;  // the table for the stream's dictionary size
  Step shortage;  // what a token the bits cannot complete means (checked decoding only)
};

// Decodes one token. Checked: every field is counted against bitCount and a token the buffer
// cannot complete is left unconsumed. Unchecked: the caller has refilled; a 32-bit buffer, too
// narrow for the longest token, is refilled again between length and distance.
template <bool kChecked, bool kAscii, typename Reader>
SAVERKIT_ALWAYS_INLINE Step decodeToken(Reader& c, const TokenContext& context) {
  static_assert(!kChecked || Reader::kPeekBits >= kMaxTokenBits,
                "checked decoding needs room for a whole token");
  constexpr bool kSplit = !kChecked && Reader::kPeekBits < kMaxTokenBits;
  const DecodeTables& t = kDecodeTables;
  if constexpr (kChecked) {
    if (c.bitCount < 1) return context.shortage;
  }
  const auto bits = c.peek();
  if ((bits & 1) == 0) {
    if constexpr (!kChecked && !kAscii) {
      // Literals follow literals about half the time. Taking a second one without a branch
      // spares a mispredicted jump for each such pair. After a lone literal, the byte stored
      // behind it lies past the output, inside the window's slack, until the next token
      // overwrites it.
      static_assert(Reader::kPeekBits >= 18, "two binary literals take 18 bits");
      const unsigned second = static_cast<unsigned>(~bits >> 9) & 1;
      c.out[0] = static_cast<std::uint8_t>(bits >> 1);
      c.out[1] = static_cast<std::uint8_t>(bits >> 10);
      c.out += 1 + second;
      c.consume(9 + 9 * second);
      return Step::kContinue;
    }
    unsigned n = 9;
    unsigned literal = static_cast<unsigned>(bits >> 1) & 0xff;
    if constexpr (kAscii) {
      const unsigned entry = t.literal[(bits >> 1) & ((1u << kLitPeekBits) - 1)];
      n = entry >> 8;
      literal = entry & 0xff;
    }
    if constexpr (kChecked) {
      if (c.bitCount < n) return context.shortage;
    }
    *c.out++ = static_cast<std::uint8_t>(literal);
    c.consume(n);
    return Step::kContinue;
  }
  const LengthDecode le = t.length[(bits >> 1) & ((1u << kLenPeekBits) - 1)];
  const unsigned lenBits = le.bits;
  if constexpr (kChecked) {
    if (c.bitCount < lenBits) return context.shortage;
  }
  const unsigned len = le.base + (static_cast<unsigned>(bits >> le.extraShift) & le.extraMask);
  if (len == kEndOfStream) {
    c.consume(lenBits);
    return Step::kEnd;
  }
  decltype(c.peek()) rest;
  unsigned total;
  if constexpr (kSplit) {
    c.consume(lenBits);
    c.refill();
    rest = c.peek();
    total = 0;
  } else {
    rest = bits >> lenBits;
    total = lenBits;
  }
  const DistanceDecode* const distances =
      len == 2 ? t.distance[distanceTableFor(2)].data() : context.distances;
  const DistanceDecode de = distances[rest & ((1u << kDistPeekBits) - 1)];
  total += de.bits;
  if constexpr (kChecked) {
    if (c.bitCount < total) return context.shortage;
  }
  const std::size_t dist = de.base + (static_cast<std::size_t>(rest >> de.codeBits) & de.lowMask);
  if (dist > static_cast<std::size_t>(c.out - context.windowStart)) return Step::kBadDistance;
  c.consume(total);
  copyMatch(c.out, dist, len);
  c.out += len;
  return Step::kContinue;
}

template <typename Reader>
class Decoder {
 public:
  Decoder(SaverkitReadBuf read, SaverkitWriteBuf write, void* param, std::uint8_t* work)
      : read_(read), write_(write), param_(param), inBuf_(work), window_(work + kExplodeInputSize) {
    r_ = Reader{};
    r_.in = inEnd_ = inBuf_;
    r_.out = flushed_ = window_;
    flushLimit_ = window_ + kExplodeWindowSize - kMaxMatch - kCopySlack;
  }

  Status run();

 private:
  Status readHeader();
  void fillInput();
  void flush();
  void slideWindow();
  const DistanceDecode* distanceTable() const {
    return kDecodeTables.distance[distanceTableFor(dictBits_)].data();
  }
  template <bool kAscii>
  Step decodeFast();
  Step decodeChecked();

  SaverkitReadBuf read_;
  SaverkitWriteBuf write_;
  void* param_;
  std::uint8_t* inBuf_;
  std::uint8_t* window_;
  Reader r_;  // where decoding stands in the input and in the window
  const std::uint8_t* inEnd_;
  bool inputEnded_ = false;
  std::uint8_t* flushed_;
  std::uint8_t* flushLimit_;
  unsigned dictBits_ = 0;
  bool ascii_ = false;
};

// Tops the staging buffer up to capacity. Callbacks may deliver any amount per call, so we
// keep asking until the buffer is full or the callback reports the end with a zero.
template <typename Reader>
void Decoder<Reader>::fillInput() {
  const std::size_t kept = static_cast<std::size_t>(inEnd_ - r_.in);
  std::memmove(inBuf_, r_.in, kept);
  r_.in = inBuf_;
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

template <typename Reader>
void Decoder<Reader>::flush() {
  while (flushed_ < r_.out) {
    unsigned size = static_cast<unsigned>(std::min<std::ptrdiff_t>(r_.out - flushed_, 0x7fffffff));
    write_(reinterpret_cast<char*>(flushed_), &size, param_);
    flushed_ = r_.out;
  }
}

// Once the window is nearly full, everything new goes out and only the last 4 KiB, the
// largest distance the format can name, stay behind as history.
template <typename Reader>
void Decoder<Reader>::slideWindow() {
  flush();
  std::memmove(window_, r_.out - kMaxDistance, kMaxDistance);
  r_.out = flushed_ = window_ + kMaxDistance;
}

template <typename Reader>
Status Decoder<Reader>::readHeader() {
  fillInput();
  if (inEnd_ - r_.in < 2) return Status::kBadData;
  const unsigned mode = r_.in[0];
  const unsigned dictBits = r_.in[1];
  r_.in += 2;
  if (dictBits < 4 || dictBits > kMaxDictBits) return Status::kInvalidDictSize;
  if (mode > 1) return Status::kInvalidMode;
  ascii_ = mode == 1;
  dictBits_ = dictBits;
  return Status::kOk;
}

// The hot loop: no bit accounting, because a refill leaves enough bits for what follows it.
template <typename Reader>
template <bool kAscii>
Step Decoder<Reader>::decodeFast() {
  Reader c = r_;
  const std::uint8_t* const inEnd = inEnd_;
  std::uint8_t* const outLimit = flushLimit_;
  const TokenContext context{window_, distanceTable(), Step::kContinue};
  Step step = Step::kContinue;
  while (static_cast<std::size_t>(inEnd - c.in) >= kFastInputMargin && c.out < outLimit) {
    c.refill();
    step = decodeToken<false, kAscii>(c, context);
    if (step != Step::kContinue) break;
    if constexpr (Reader::kPeekBits > kMaxTokenBits) {
      // A 64-bit refill leaves at least 56 bits, so a second token often fits without another.
      if (c.bitCount >= kMaxTokenBits && c.out < outLimit) {
        step = decodeToken<false, kAscii>(c, context);
        if (step != Step::kContinue) break;
      }
    }
  }
  r_ = c;
  return step;
}

// Byte-at-a-time refill into a 64-bit buffer of its own, which never looks past the delivered
// input.
template <typename Reader>
Step Decoder<Reader>::decodeChecked() {
  CheckedBits c = toChecked(r_);
  while (c.bitCount < 56 && c.in < inEnd_) {
    c.bits |= static_cast<std::uint64_t>(*c.in++) << c.bitCount;
    c.bitCount += 8;
  }
  const TokenContext context{window_, distanceTable(),
                             inputEnded_ ? Step::kTruncated : Step::kNeedInput};
  const Step step =
      ascii_ ? decodeToken<true, true>(c, context) : decodeToken<true, false>(c, context);
  fromChecked(c, r_);
  return step;
}

template <typename Reader>
Status Decoder<Reader>::run() {
  const Status header = readHeader();
  if (header != Status::kOk) return header;
  for (;;) {
    if (r_.out >= flushLimit_) slideWindow();
    if (!inputEnded_ && static_cast<std::size_t>(inEnd_ - r_.in) < kFastInputMargin) fillInput();
    Step step = ascii_ ? decodeFast<true>() : decodeFast<false>();
    if (step == Step::kContinue && r_.out < flushLimit_ &&
        static_cast<std::size_t>(inEnd_ - r_.in) < kFastInputMargin) {
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

template <typename Reader>
Status explodeWith(SaverkitReadBuf read, SaverkitWriteBuf write, void* param,
                   std::uint8_t* workArea) {
  Decoder<Reader> decoder(read, write, param, workArea);
  return decoder.run();
}

}  // namespace

template <typename BitWord>
Status explodeWithBitWord(SaverkitReadBuf read, SaverkitWriteBuf write, void* param,
                          std::uint8_t* workArea) {
  return explodeWith<BufferedBits<BitWord>>(read, write, param, workArea);
}

template Status explodeWithBitWord<std::uint32_t>(SaverkitReadBuf, SaverkitWriteBuf, void*,
                                                  std::uint8_t*);
// A 32-bit DLL would carry the wide decoder as 5 KB of dead code, which its linker does not
// drop; only 64-bit builds, where the tests run, have both.
#if UINTPTR_MAX > 0xffffffffu
template Status explodeWithBitWord<std::uint64_t>(SaverkitReadBuf, SaverkitWriteBuf, void*,
                                                  std::uint8_t*);
#endif

}  // namespace saverkit::implode::detail
