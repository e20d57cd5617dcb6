// Deterministic input generators and callback plumbing shared by the codec tests.
#include "codec_test_support.h"

#include <algorithm>
#include <cstring>
#include <sstream>

#include "saverkit/implode/implode_api.h"

extern "C" {
#include <libdynamite.h>

// The peer library exports the historical names without a header of its own for them.
unsigned int implode(SaverkitReadBuf read_buf, SaverkitWriteBuf write_buf, char* work_buf,
                     void* param, unsigned int* type, unsigned int* dsize);
unsigned int explode(SaverkitReadBuf read_buf, SaverkitWriteBuf write_buf, char* work_buf,
                     void* param);
}

namespace implode_test {
namespace {

struct Rng {
  std::uint64_t state;
  std::uint32_t next() {
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    return static_cast<std::uint32_t>(state >> 33);
  }
};

size_t dynamiteRead(void* buffer, size_t size, void* cookie) {
  unsigned n = static_cast<unsigned>(std::min<size_t>(size, 0x7fffffff));
  return readChunk(static_cast<char*>(buffer), &n, cookie);
}

size_t dynamiteWrite(void* buffer, size_t size, void* cookie) {
  static_cast<Stream*>(cookie)->out.insert(static_cast<Stream*>(cookie)->out.end(),
                                           static_cast<std::uint8_t*>(buffer),
                                           static_cast<std::uint8_t*>(buffer) + size);
  return size;
}

// The peer's own structures are not ours to know; a generous area keeps it in bounds.
constexpr std::size_t kPeerWorkSize = 1 << 17;

}  // namespace

unsigned readChunk(char* buf, unsigned* size, void* param) {
  auto* s = static_cast<Stream*>(param);
  const std::size_t n = std::min({static_cast<std::size_t>(*size), s->chunk, s->in->size() - s->offset});
  if (n > 0) std::memcpy(buf, s->in->data() + s->offset, n);
  s->offset += n;
  return static_cast<unsigned>(n);
}

void writeAll(char* buf, unsigned* size, void* param) {
  auto* s = static_cast<Stream*>(param);
  s->out.insert(s->out.end(), buf, buf + *size);
}

bool isPrefix(const Bytes& prefix, const Bytes& whole) {
  return prefix.size() <= whole.size() && std::equal(prefix.begin(), prefix.end(), whole.begin());
}

Bytes makeText(std::size_t size, std::uint32_t seed) {
  static const char* const kWords[] = {
      "the", "screen", "saver", "install", "window", "display", "of", "and", "to", "a",
      "configuration", "preview", "password", "desktop", "image", "folder", "file", "in",
      "settings", "timeout", "monitor", "is", "for", "with", "color", "palette", "bitmap"};
  Rng rng{seed};
  Bytes out;
  out.reserve(size + 32);
  while (out.size() < size) {
    const std::uint32_t r = rng.next();
    const std::size_t index = (r % 27) * ((r >> 8) % 27) / 27;  // skewed towards early words
    const char* word = kWords[index];
    out.insert(out.end(), word, word + std::strlen(word));
    out.push_back((r >> 20) % 13 == 0 ? '\n' : ' ');
    if ((r >> 24) % 31 == 0) {
      const std::string num = std::to_string(r % 100000);
      out.insert(out.end(), num.begin(), num.end());
    }
  }
  out.resize(size);
  return out;
}

Bytes makeStructured(std::size_t size, std::uint32_t seed) {
  Rng rng{seed};
  Bytes out;
  out.reserve(size);
  while (out.size() < size) {
    const std::uint32_t r = rng.next();
    if (r % 3 == 0 && out.size() > 64) {
      const std::size_t dist = 1 + rng.next() % std::min<std::size_t>(out.size(), 6000);
      const std::size_t len = 2 + rng.next() % 40;
      for (std::size_t i = 0; i < len; ++i) out.push_back(out[out.size() - dist]);
    } else {
      const std::uint8_t op[] = {0x48, 0x8b, static_cast<std::uint8_t>(r), 0x89,
                                 static_cast<std::uint8_t>(r >> 8), 0x00, 0x00, 0xe8};
      out.insert(out.end(), op, op + 1 + r % 8);
    }
  }
  out.resize(size);
  return out;
}

Bytes makeRandom(std::size_t size, std::uint32_t seed) {
  Rng rng{seed};
  Bytes out(size);
  for (auto& b : out) b = static_cast<std::uint8_t>(rng.next() >> 7);
  return out;
}

Bytes makeRuns(std::size_t size, std::uint32_t seed) {
  Rng rng{seed};
  Bytes out;
  out.reserve(size + 2000);
  while (out.size() < size) {
    const std::uint32_t r = rng.next();
    const std::size_t period = 1 + r % 7;
    const std::size_t len = 1 + (r >> 8) % 1500;
    Bytes pattern(period);
    for (auto& b : pattern) b = static_cast<std::uint8_t>(rng.next());
    for (std::size_t i = 0; i < len; ++i) out.push_back(pattern[i % period]);
  }
  out.resize(size);
  return out;
}

CodecResult ourImplode(const Bytes& in, unsigned type, unsigned dict, std::size_t chunk) {
  Stream s{&in, 0, chunk, {}};
  Bytes work(SAVERKIT_IMPLODE_WORK_SIZE);
  const unsigned code = _implode(readChunk, writeAll, reinterpret_cast<char*>(work.data()), &s, &type, &dict);
  return {code, std::move(s.out)};
}

CodecResult ourExplode(const Bytes& in, std::size_t chunk) {
  Stream s{&in, 0, chunk, {}};
  Bytes work(SAVERKIT_EXPLODE_WORK_SIZE);
  const unsigned code = _explode(readChunk, writeAll, reinterpret_cast<char*>(work.data()), &s);
  return {code, std::move(s.out)};
}

CodecResult peerImplode(const Bytes& in, unsigned type, unsigned dict, std::size_t chunk) {
  Stream s{&in, 0, chunk, {}};
  Bytes work(kPeerWorkSize);
  const unsigned code = implode(readChunk, writeAll, reinterpret_cast<char*>(work.data()), &s, &type, &dict);
  return {code, std::move(s.out)};
}

CodecResult peerExplode(const Bytes& in, std::size_t chunk) {
  Stream s{&in, 0, chunk, {}};
  Bytes work(kPeerWorkSize);
  const unsigned code = explode(readChunk, writeAll, reinterpret_cast<char*>(work.data()), &s);
  return {code, std::move(s.out)};
}

CodecResult dynamiteExplode(const Bytes& in, std::size_t chunk) {
  Stream s{&in, 0, chunk, {}};
  const DynamiteResult r = dynamite_explode(dynamiteRead, dynamiteWrite, &s);
  return {static_cast<unsigned>(r), std::move(s.out)};
}

std::string describe(const Bytes& a, const Bytes& b) {
  std::ostringstream os;
  os << "sizes " << a.size() << " vs " << b.size();
  const auto mismatch = std::mismatch(a.begin(), a.end(), b.begin(), b.end());
  if (mismatch.first != a.end() || mismatch.second != b.end()) {
    os << ", first difference at " << (mismatch.first - a.begin());
  }
  return os.str();
}

}  // namespace implode_test
