// Whether the viewer's Windows will play a video an author packs: the container from the file's
// first bytes, and the codec its video track declares, found by walking MP4 boxes or Matroska
// elements. The file is an author's, but its bytes may be anything, so every read is bounded
// and checked, and the walk reads headers only, skipping large boxes by their sizes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace saverpack {

// The names the engine plays as videos: .mp4, .m4v, .mov, .wmv and .webm, in any case.
bool isVideoName(std::string_view path);

enum class VideoContainer { kUnknown, kIsoMedia, kMatroska, kAsf };

struct VideoProbe {
  VideoContainer container = VideoContainer::kUnknown;
  // As the file names it: a sample entry's four characters ("avc1") or a Matroska codec ID
  // ("V_VP9"). Empty when it was not found within the bounded read.
  std::string codec;
};

// Fills `into` with up to `length` bytes from `offset`; returns how many it read.
using ByteReader = std::function<std::size_t(std::uint64_t offset, std::uint8_t* into, std::size_t length)>;

// Bytes a probe reads at most, whatever the file holds; past it the codec stays unknown.
inline constexpr std::size_t kVideoProbeBudget = 256 * 1024;

VideoProbe probeVideo(const ByteReader& read, std::uint64_t size);

// What stands between the video and the viewer's screen, worded to follow the file's quoted
// name; empty when it plays on every Windows 10 and 11 with Media Foundation, and when the codec
// is unknown (a guess would only worry the author).
std::string videoAdvice(const VideoProbe& probe);

}  // namespace saverpack
