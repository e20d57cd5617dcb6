// The codec as saverpack uses it: implode a whole file with progress, and expand untrusted
// imploded bytes with a ceiling, so a hostile package cannot make verify or extract allocate
// without bound.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "file_io.h"

namespace saverpack {

class ProgressMeter;

Bytes implodeBytes(const Bytes& input, ProgressMeter* progress);

struct ExplodeResult {
  bool ok = false;
  Bytes bytes;        // everything decoded up to the ceiling
  std::string error;  // why ok is false
};

// The most `size` imploded bytes can expand to, whatever a header declares: a declared size
// beyond it is a damaged header, refused before anything is expanded.
std::uint64_t maxExpandedSize(std::uint64_t size);
// The finding for such a header.
std::string declaredBeyondTheFormat(std::int64_t declared, std::int64_t size);

// Expands `size` bytes at `data`, keeping at most `limit` bytes of output. ok is false when
// the data is corrupt or expands to more than `limit` bytes.
ExplodeResult explodeBytes(const std::uint8_t* data, std::size_t size, std::size_t limit);

}  // namespace saverpack
