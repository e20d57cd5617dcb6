// Byte moving; see the header.
#include "package/stream_copy.h"

#include <algorithm>
#include <array>
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

Status copyBytes(ReadableFile& from, WritableFile& to, std::int64_t length, Status whenShort) {
  std::vector<char> chunk(static_cast<std::size_t>(std::clamp<std::int64_t>(length, 0, kCopyChunk)));
  while (length > 0) {
    const std::size_t wanted = static_cast<std::size_t>(std::min(length, kCopyChunk));
    std::size_t got = 0;
    if (const Status error = from.read(chunk.data(), wanted, got)) return error;
    if (got < wanted) return whenShort;
    if (const Status error = to.write(chunk.data(), got)) return error;
    length -= static_cast<std::int64_t>(got);
  }
  return status::kSuccess;
}

Status copyBytesHashing(ReadableFile& from, WritableFile& to, std::int64_t length, Status whenShort, Sha256& digest,
                        BackgroundWork& background) {
  // Two chunks in turn: one is hashed while the other is read and written. A chunk is read into
  // again only after post() has waited for the hashing of the one before it, which is its own.
  const auto chunkSize = static_cast<std::size_t>(std::clamp<std::int64_t>(length, 0, kCopyChunk));
  std::array<std::vector<char>, 2> chunks{std::vector<char>(chunkSize), std::vector<char>(chunkSize)};
  Status result = status::kSuccess;
  for (std::size_t turn = 0; length > 0 && result == status::kSuccess; turn ^= 1) {
    char* chunk = chunks[turn].data();
    const std::size_t wanted = static_cast<std::size_t>(std::min(length, kCopyChunk));
    std::size_t got = 0;
    result = from.read(chunk, wanted, got);
    if (result == status::kSuccess && got < wanted) result = whenShort;
    if (result != status::kSuccess) break;
    background.post([&digest, chunk, got] { digest.update(chunk, got); });
    result = to.write(chunk, got);
    length -= static_cast<std::int64_t>(got);
  }
  background.finish();
  return result;
}

bool expansionIsPlausible(std::int64_t expandedSize, std::int64_t storedSize) {
  return expandedSize >= 0 && expandedSize <= storedSize * kMaxExpansionRatio + 4096;
}

}  // namespace saverkit
