// libFuzzer target for the decoder. The first input byte picks the callback chunk size so
// the refill paths get exercised too; whatever decodes cleanly must survive a round trip
// through our encoder unchanged.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "saverkit/implode/codec.h"

namespace {

namespace sk = saverkit::implode;

struct Source {
  const std::uint8_t* data;
  std::size_t size;
  std::size_t at;
  std::size_t chunk;
  std::vector<std::uint8_t> out;
};

unsigned readSome(char* buf, unsigned* size, void* param) {
  auto* s = static_cast<Source*>(param);
  std::size_t n = s->size - s->at;
  if (n > *size) n = *size;
  if (n > s->chunk) n = s->chunk;
  std::memcpy(buf, s->data + s->at, n);
  s->at += n;
  return static_cast<unsigned>(n);
}

void writeAll(char* buf, unsigned* size, void* param) {
  auto* s = static_cast<Source*>(param);
  s->out.insert(s->out.end(), buf, buf + *size);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  static std::uint8_t work[sk::kExplodeWorkSize];
  Source src{data + 1, size - 1, 0, 1u + data[0] * 37u, {}};
  const sk::Status status = sk::explodeStream(readSome, writeAll, work, &src);
  if (status != sk::Status::kOk || src.out.size() > (1u << 20)) return 0;
  sk::ImplodeOptions options;
  options.level = (data[0] & 1) ? sk::Level::kFast : sk::Level::kDefault;
  options.mode = (data[0] & 2) ? sk::LiteralMode::kAscii : sk::LiteralMode::kBinary;
  std::vector<std::uint8_t> packed;
  std::vector<std::uint8_t> again;
  if (sk::implode({src.out.data(), src.out.size()}, options, packed) != sk::Status::kOk ||
      sk::explode({packed.data(), packed.size()}, again) != sk::Status::kOk || again != src.out) {
    std::abort();
  }
  return 0;
}
