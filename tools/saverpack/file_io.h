// File access for saverpack: whole-file reads, all-or-nothing writes, and the progress bar
// shown on long runs. Paths given by users are UTF-8 everywhere, also on Windows.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace saverpack {

using Bytes = std::vector<std::uint8_t>;

// Appends a 16- or 32-bit number in little-endian order, as Windows' file formats store them.
inline void put16(Bytes& out, std::uint32_t value) {
  out.push_back(static_cast<std::uint8_t>(value));
  out.push_back(static_cast<std::uint8_t>(value >> 8));
}
inline void put32(Bytes& out, std::uint32_t value) {
  put16(out, value & 0xFFFF);
  put16(out, value >> 16);
}

// Throws ToolError(kIo) naming the file when it cannot be read.
Bytes readWholeFile(const std::filesystem::path& path);

// Writes through a temporary file in the same folder and renames it into place, so a failed
// or interrupted run never leaves a half-written installer under the final name.
void writeFileReplacing(const std::filesystem::path& path, const Bytes& bytes);
// The same for a copy of `from`, read a piece at a time: a video may be larger than memory.
void copyFileReplacing(const std::filesystem::path& from, const std::filesystem::path& to);

std::filesystem::path pathFromUtf8(const std::string& text);
std::string pathToUtf8(const std::filesystem::path& path);

bool stderrIsTerminal();

// A one-line bar on stderr. It draws only when enabled (stderr is a terminal and the work is
// large enough to be worth watching) and redraws at most once per percent.
class ProgressMeter {
 public:
  ProgressMeter(std::string label, std::uint64_t total, bool enabled);
  ~ProgressMeter();
  ProgressMeter(const ProgressMeter&) = delete;
  ProgressMeter& operator=(const ProgressMeter&) = delete;

  void advance(std::uint64_t bytes);
  void finish();

  // Work below this size finishes too quickly for a bar to help.
  static constexpr std::uint64_t kThreshold = 8u << 20;

 private:
  void draw();

  std::string label_;
  std::uint64_t total_;
  std::uint64_t done_ = 0;
  int lastPercent_ = -1;
  bool enabled_;
};

}  // namespace saverpack
