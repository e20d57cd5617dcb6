// Byte moving; see the header.
#include "package/stream_copy.h"

#include <algorithm>
#include <vector>

namespace saverkit {
namespace {
constexpr std::int64_t kCopyChunk = 1 << 20;
constexpr std::int64_t kMaxExpansionRatio = 1024;
}  // namespace

Status readExactly(ReadableFile& file, void* buffer, std::size_t size) {
  std::size_t got = 0;
  if (const Status error = file.read(buffer, size, got)) return error;
  return got == size ? status::kSuccess : win_error::kHandleEof;
}

Status copyBytes(ReadableFile& from, WritableFile& to, std::int64_t length, Status whenShort, Sha256* digest) {
  std::vector<char> chunk(static_cast<std::size_t>(std::clamp<std::int64_t>(length, 0, kCopyChunk)));
  while (length > 0) {
    const std::size_t wanted = static_cast<std::size_t>(std::min(length, kCopyChunk));
    std::size_t got = 0;
    if (const Status error = from.read(chunk.data(), wanted, got)) return error;
    if (got < wanted) return whenShort;
    if (digest) digest->update(chunk.data(), got);
    if (const Status error = to.write(chunk.data(), got)) return error;
    length -= static_cast<std::int64_t>(got);
  }
  return status::kSuccess;
}

bool expansionIsPlausible(std::int64_t expandedSize, std::int64_t storedSize) {
  return expandedSize >= 0 && expandedSize <= storedSize * kMaxExpansionRatio + 4096;
}

}  // namespace saverkit
