// The C++ face of the implode/explode codec, for our own tools and native code.
//
// The streaming entry points mirror the exported C functions (same callbacks, same caller-
// owned work areas, nothing allocated) and add a compression level; the in-memory helpers
// wrap them for callers that already hold the whole input.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "saverkit/implode/implode_api.h"

namespace saverkit::implode {

inline constexpr std::size_t kImplodeWorkSize = SAVERKIT_IMPLODE_WORK_SIZE;
inline constexpr std::size_t kExplodeWorkSize = SAVERKIT_EXPLODE_WORK_SIZE;

// Values equal the historical return codes, so they cross the C boundary unchanged.
enum class Status : unsigned {
  kOk = 0,
  kInvalidDictSize = 1,
  kInvalidMode = 2,
  kBadData = 3,
  kAbort = 4,
};

enum class LiteralMode : unsigned { kBinary = 0, kAscii = 1 };

// kFast trades a little ratio for several times the speed; kBest searches hardest.
enum class Level { kFast, kDefault, kBest };

struct ImplodeOptions {
  LiteralMode mode = LiteralMode::kBinary;
  unsigned dictSize = 4096;  // 1024, 2048 or 4096
  Level level = Level::kDefault;
};

struct ByteView {
  const std::uint8_t* data = nullptr;
  std::size_t size = 0;
};

using ByteSink = std::function<void(const std::uint8_t* data, std::size_t size)>;

// Streaming forms. `workArea` must hold kImplodeWorkSize / kExplodeWorkSize bytes; it needs
// no particular alignment.
Status implodeStream(SaverkitReadBuf read, SaverkitWriteBuf write, void* workArea, void* param,
                     const ImplodeOptions& options);
Status explodeStream(SaverkitReadBuf read, SaverkitWriteBuf write, void* workArea, void* param);

// In-memory forms. On a decoding error every byte decoded before the fault has already been
// handed to the sink.
Status implode(ByteView input, const ImplodeOptions& options, const ByteSink& sink);
Status explode(ByteView input, const ByteSink& sink);
Status implode(ByteView input, const ImplodeOptions& options, std::vector<std::uint8_t>& out);
Status explode(ByteView input, std::vector<std::uint8_t>& out);

// Standard reflected CRC-32 update; the caller starts at 0xFFFFFFFF and complements the end.
std::uint32_t crc32Update(std::uint32_t crc, ByteView data);

const char* statusMessage(Status status);

}  // namespace saverkit::implode
