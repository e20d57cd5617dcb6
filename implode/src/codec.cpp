// The in-memory helpers for our own tools: callbacks over a byte range and a sink, around the
// streaming forms of codec_stream.cpp.
#include "saverkit/implode/codec.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "crc32.h"
#include "explode_decoder.h"
#include "implode_encoder.h"

namespace saverkit::implode {
namespace {

struct MemoryStream {
  ByteView input;
  std::size_t offset = 0;
  const ByteSink* sink = nullptr;
};

unsigned readMemory(char* buf, unsigned* size, void* param) {
  auto* s = static_cast<MemoryStream*>(param);
  const std::size_t n = std::min<std::size_t>(*size, s->input.size - s->offset);
  if (n > 0) std::memcpy(buf, s->input.data + s->offset, n);
  s->offset += n;
  return static_cast<unsigned>(n);
}

void writeMemory(char* buf, unsigned* size, void* param) {
  auto* s = static_cast<MemoryStream*>(param);
  (*s->sink)(reinterpret_cast<const std::uint8_t*>(buf), *size);
}

ByteSink appendTo(std::vector<std::uint8_t>& out) {
  return [&out](const std::uint8_t* data, std::size_t size) { out.insert(out.end(), data, data + size); };
}

}  // namespace

Status implode(ByteView input, const ImplodeOptions& options, const ByteSink& sink) {
  auto work = std::make_unique<std::uint8_t[]>(kImplodeWorkSize);
  MemoryStream stream{input, 0, &sink};
  return implodeStream(readMemory, writeMemory, work.get(), &stream, options);
}

Status explode(ByteView input, const ByteSink& sink) {
  auto work = std::make_unique<std::uint8_t[]>(kExplodeWorkSize);
  MemoryStream stream{input, 0, &sink};
  return explodeStream(readMemory, writeMemory, work.get(), &stream);
}

Status implode(ByteView input, const ImplodeOptions& options, std::vector<std::uint8_t>& out) {
  return implode(input, options, appendTo(out));
}

Status explode(ByteView input, std::vector<std::uint8_t>& out) {
  return explode(input, appendTo(out));
}

std::uint32_t crc32Update(std::uint32_t crc, ByteView data) {
  return detail::crc32Raw(crc, data.data, data.size);
}

const char* statusMessage(Status status) {
  switch (status) {
    case Status::kOk:
      return "success";
    case Status::kInvalidDictSize:
      return "invalid dictionary size (must be 1024, 2048 or 4096)";
    case Status::kInvalidMode:
      return "invalid literal mode (must be binary or ASCII)";
    case Status::kBadData:
      return "compressed data is corrupt";
    case Status::kAbort:
      return "compressed data ends before its end marker";
  }
  return "unknown error";
}

}  // namespace saverkit::implode
