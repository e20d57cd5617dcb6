// Fuzzes the probe saverpack runs over every video an author packs: the MP4 box walk and the
// Matroska element walk may never read outside the file or past their budget, whatever sizes
// the boxes claim, and a verdict is always given.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "video_probe.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace saverpack;
  std::size_t read = 0;
  const ByteReader reader = [&](std::uint64_t offset, std::uint8_t* into, std::size_t length) {
    if (offset > size || length > size - offset) __builtin_trap();  // the probe asked for bytes past the end
    read += length;
    std::memcpy(into, data + offset, length);
    return length;
  };
  const VideoProbe probe = probeVideo(reader, size);
  if (read > kVideoProbeBudget) __builtin_trap();
  if (probe.container == VideoContainer::kUnknown && videoAdvice(probe).empty()) __builtin_trap();
  return 0;
}
