// The byte moving that slot extraction and the data file share: exact reads, stream copies in
// large chunks, and the sanity bound on how far imploded data can expand.
#pragma once

#include <cstddef>
#include <cstdint>

#include "common/sha256.h"
#include "common/status.h"
#include "platform/background_work.h"
#include "platform/file_system.h"

namespace saverkit {

// Reads exactly `size` bytes; a short read is the end-of-file error (38).
Status readExactly(ReadableFile& file, void* buffer, std::size_t size);

// Copies `length` bytes from the file's current position, in chunks of at most 1 MiB, so a
// stored file of any size costs a fixed amount of memory. `whenShort` when the input ends early.
Status copyBytes(ReadableFile& from, WritableFile& to, std::int64_t length, Status whenShort);

// copyBytes that also feeds `digest` every byte copied, hashing each chunk in the background
// while the next one is read and written.
Status copyBytesHashing(ReadableFile& from, WritableFile& to, std::int64_t length, Status whenShort, Sha256& digest,
                        BackgroundWork& background);

// An imploded stream cannot expand more than a few hundred times; a recorded size beyond this
// bound is a damaged header, refused before anything is written.
bool expansionIsPlausible(std::int64_t expandedSize, std::int64_t storedSize);

}  // namespace saverkit
