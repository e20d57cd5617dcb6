// SHA-256 (FIPS 180-4), fed in pieces of any size. The installer hashes its whole package while
// it copies it, so the compression runs on the processor's SHA instructions where it has them
// (x86 with SHA-NI) and on a plain implementation elsewhere; both give the same digest.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace saverkit {

using Sha256Digest = std::array<std::uint8_t, 32>;

class Sha256 {
 public:
  // `allowProcessorInstructions` false keeps to the plain implementation (for comparing the two).
  explicit Sha256(bool allowProcessorInstructions = true);
  void update(const void* data, std::size_t size);
  // The digest of everything given; the object is spent afterwards.
  Sha256Digest finish();
  // Whether this object compresses with the processor's SHA instructions.
  bool usesProcessorInstructions() const { return accelerated_; }

 private:
  void compress(const std::uint8_t* blocks, std::size_t count);

  std::array<std::uint32_t, 8> state_;
  std::array<std::uint8_t, 64> pending_{};
  std::size_t pendingSize_ = 0;
  std::uint64_t totalBytes_ = 0;
  bool accelerated_ = false;
};

Sha256Digest sha256Of(const void* data, std::size_t size);

// Lower-case hexadecimal, as sha256sum prints it.
std::string hexDigest(const Sha256Digest& digest);

}  // namespace saverkit
