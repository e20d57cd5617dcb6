// Codec adapters; see the header. Both directions go through the streaming entry points so the
// read callback can report progress and cut the input short.
#include "codec_bridge.h"

#include <algorithm>
#include <cstring>

#include "saverkit/implode/codec.h"
#include "tool_error.h"

namespace saverpack {
namespace {

namespace codec = saverkit::implode;

struct Stream {
  const std::uint8_t* input = nullptr;
  std::size_t inputSize = 0;
  std::size_t offset = 0;
  Bytes* output = nullptr;
  std::size_t limit = 0;
  bool overflowed = false;
  ProgressMeter* progress = nullptr;
};

unsigned readInput(char* buf, unsigned* size, void* param) {
  auto* stream = static_cast<Stream*>(param);
  // Once the output has passed its ceiling, pretending the input has ended stops the decoder
  // at its next read instead of letting it run to the end of a hostile stream.
  if (stream->overflowed) return 0;
  const std::size_t count = std::min<std::size_t>(*size, stream->inputSize - stream->offset);
  if (count > 0) std::memcpy(buf, stream->input + stream->offset, count);
  stream->offset += count;
  if (stream->progress != nullptr) stream->progress->advance(count);
  return static_cast<unsigned>(count);
}

void writeOutput(char* buf, unsigned* size, void* param) {
  auto* stream = static_cast<Stream*>(param);
  const std::size_t room = stream->limit - std::min(stream->limit, stream->output->size());
  const std::size_t count = std::min<std::size_t>(*size, room);
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(buf);
  stream->output->insert(stream->output->end(), bytes, bytes + count);
  if (count < *size) stream->overflowed = true;
}

}  // namespace

Bytes implodeBytes(const Bytes& input, ProgressMeter* progress) {
  Bytes output;
  output.reserve(input.size() / 2 + 64);
  Stream stream{input.data(), input.size(), 0, &output, static_cast<std::size_t>(-1), false, progress};
  Bytes work(codec::kImplodeWorkSize);
  const codec::ImplodeOptions options;  // binary literals, 4 KiB dictionary: the best ratio
  const codec::Status status =
      codec::implodeStream(readInput, writeOutput, work.data(), &stream, options);
  if (status != codec::Status::kOk) {
    throw ToolError(ExitCode::kInvalid, std::string("implode failed: ") + codec::statusMessage(status));
  }
  return output;
}

// The format's densest token is its longest match, 518 bytes, in 22 bits: the flag, a 7-bit
// length code with 8 extra bits, the shortest distance code (2 bits) and 4 low distance bits at
// the smallest dictionary. No token gives more bytes per bit, and the 2-byte header gives none.
std::uint64_t maxExpandedSize(std::uint64_t size) {
  constexpr std::uint64_t kLongestMatch = 518;
  constexpr std::uint64_t kItsBits = 22;
  return size <= 2 ? 0 : (size - 2) * 8 * kLongestMatch / kItsBits;
}

std::string declaredBeyondTheFormat(std::int64_t declared, std::int64_t size) {
  return "declares " + std::to_string(declared) + " expanded bytes, more than its " + std::to_string(size) +
         " imploded bytes can give (at most " + std::to_string(maxExpandedSize(std::uint64_t(size))) + ")";
}

ExplodeResult explodeBytes(const std::uint8_t* data, std::size_t size, std::size_t limit) {
  ExplodeResult result;
  Stream stream{data, size, 0, &result.bytes, limit, false, nullptr};
  Bytes work(codec::kExplodeWorkSize);
  const codec::Status status =
      codec::explodeStream(readInput, writeOutput, work.data(), &stream);
  if (stream.overflowed) {
    result.error = "expands to more than " + std::to_string(limit) + " bytes";
  } else if (status != codec::Status::kOk) {
    result.error = std::string("cannot be expanded: ") + codec::statusMessage(status);
  } else {
    result.ok = true;
  }
  return result;
}

}  // namespace saverpack
