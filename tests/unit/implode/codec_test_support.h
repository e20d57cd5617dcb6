// Shared scaffolding for the codec tests: deterministic inputs, chunked callbacks, and thin
// wrappers that run our exports and the two peer implementations the same way.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace implode_test {

using Bytes = std::vector<std::uint8_t>;

// English-like text over a fixed vocabulary with a skewed word distribution.
Bytes makeText(std::size_t size, std::uint32_t seed);
// Record-structured binary resembling machine code and tables: repeats at many distances.
Bytes makeStructured(std::size_t size, std::uint32_t seed);
Bytes makeRandom(std::size_t size, std::uint32_t seed);
// Long runs of single bytes and short periods, which stress overlapping copies.
Bytes makeRuns(std::size_t size, std::uint32_t seed);

// The callbacks' parameter: the input handed out in pieces of at most `chunk` bytes, and what
// the codec wrote.
struct Stream {
  const Bytes* in;
  std::size_t offset;
  std::size_t chunk;
  Bytes out;
};
unsigned readChunk(char* buf, unsigned* size, void* param);
void writeAll(char* buf, unsigned* size, void* param);

bool isPrefix(const Bytes& prefix, const Bytes& whole);

struct CodecResult {
  unsigned code = 0;
  Bytes data;
};

// Every function feeds its input through read callbacks of at most `chunk` bytes.
CodecResult ourImplode(const Bytes& in, unsigned type, unsigned dict, std::size_t chunk);
CodecResult ourExplode(const Bytes& in, std::size_t chunk);
CodecResult peerImplode(const Bytes& in, unsigned type, unsigned dict, std::size_t chunk);
CodecResult peerExplode(const Bytes& in, std::size_t chunk);
// The second peer decodes binary-mode streams only.
CodecResult dynamiteExplode(const Bytes& in, std::size_t chunk);

std::string describe(const Bytes& a, const Bytes& b);

}  // namespace implode_test
