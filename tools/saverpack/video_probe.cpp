// The video probe; see the header. MP4 and QuickTime store numbers big-endian; Matroska uses
// variable-length numbers; ASF is recognised by its header's GUID alone.
#include "video_probe.h"

#include <algorithm>
#include <array>
#include <optional>

namespace saverpack {
namespace {

constexpr std::uint32_t fourCc(const char (&text)[5]) {
  return std::uint32_t(std::uint8_t(text[0])) << 24 | std::uint32_t(std::uint8_t(text[1])) << 16 |
         std::uint32_t(std::uint8_t(text[2])) << 8 | std::uint8_t(text[3]);
}

std::uint64_t bigEndian(const std::uint8_t* bytes, std::size_t count) {
  std::uint64_t value = 0;
  for (std::size_t i = 0; i < count; ++i) value = value << 8 | bytes[i];
  return value;
}

// Every read goes through here: inside the file, and within the probe's budget.
class BoundedReader {
 public:
  BoundedReader(const ByteReader& read, std::uint64_t size) : read_(read), size_(size) {}

  bool readAt(std::uint64_t offset, std::uint8_t* into, std::size_t length) {
    if (offset > size_ || length > size_ - offset || length > budget_) return false;
    budget_ -= length;
    return read_(offset, into, length) == length;
  }
  std::uint64_t size() const { return size_; }

 private:
  const ByteReader& read_;
  std::uint64_t size_;
  std::size_t budget_ = kVideoProbeBudget;
};

// ---- ISO base media (MP4, M4V, MOV) ----

struct Box {
  std::uint32_t type = 0;
  std::uint64_t contentStart = 0;
  std::uint64_t end = 0;
};

// The box at `at`, ending within `parentEnd`. A size of 0 runs to the end of what holds the
// box; one that runs past it is cut there, as a truncated file is still worth reading. A size
// smaller than its own header cannot be walked past, so the walk stops.
std::optional<Box> boxAt(BoundedReader& reader, std::uint64_t at, std::uint64_t parentEnd) {
  std::uint8_t header[16];
  if (at > parentEnd || parentEnd - at < 8 || !reader.readAt(at, header, 8)) return std::nullopt;
  std::uint64_t size = bigEndian(header, 4);
  std::uint64_t headerSize = 8;
  if (size == 1) {
    if (parentEnd - at < 16 || !reader.readAt(at + 8, header + 8, 8)) return std::nullopt;
    size = bigEndian(header + 8, 8);
    headerSize = 16;
  } else if (size == 0) {
    size = parentEnd - at;
  }
  if (size < headerSize) return std::nullopt;
  const std::uint64_t end = size > parentEnd - at ? parentEnd : at + size;
  if (end < at + headerSize) return std::nullopt;
  return Box{std::uint32_t(bigEndian(header + 4, 4)), at + headerSize, end};
}

std::optional<Box> childOf(BoundedReader& reader, const Box& parent, std::uint32_t type) {
  for (auto box = boxAt(reader, parent.contentStart, parent.end); box; box = boxAt(reader, box->end, parent.end)) {
    if (box->type == type) return box;
  }
  return std::nullopt;
}

// The four characters of a track's first sample entry, when its handler says it is video.
std::optional<std::uint32_t> videoSampleEntry(BoundedReader& reader, const Box& track) {
  const auto media = childOf(reader, track, fourCc("mdia"));
  if (!media) return std::nullopt;
  // Version and flags, then a predefined (QuickTime: component type) field, then the handler.
  std::uint8_t handler[12];
  const auto handlerBox = childOf(reader, *media, fourCc("hdlr"));
  if (!handlerBox || handlerBox->end - handlerBox->contentStart < 12 ||
      !reader.readAt(handlerBox->contentStart, handler, 12) || bigEndian(handler + 8, 4) != fourCc("vide")) {
    return std::nullopt;
  }
  std::optional<Box> box = childOf(reader, *media, fourCc("minf"));
  if (box) box = childOf(reader, *box, fourCc("stbl"));
  if (box) box = childOf(reader, *box, fourCc("stsd"));
  // Version and flags, the entry count, then the first entry's size and format.
  std::uint8_t entries[16];
  if (!box || box->end - box->contentStart < 16 || !reader.readAt(box->contentStart, entries, 16) ||
      bigEndian(entries + 4, 4) == 0) {
    return std::nullopt;
  }
  return std::uint32_t(bigEndian(entries + 12, 4));
}

std::string codecText(std::uint32_t code) {
  std::string text;
  for (int shift = 24; shift >= 0; shift -= 8) {
    const char c = char((code >> shift) & 0xFF);
    text += c >= 0x20 && c < 0x7F ? c : '?';
  }
  return text;
}

void probeIsoMedia(BoundedReader& reader, VideoProbe& probe) {
  const auto movie = childOf(reader, Box{0, 0, reader.size()}, fourCc("moov"));
  if (!movie) return;
  for (auto box = boxAt(reader, movie->contentStart, movie->end); box; box = boxAt(reader, box->end, movie->end)) {
    if (box->type != fourCc("trak")) continue;
    if (const auto entry = videoSampleEntry(reader, *box)) {
      probe.codec = codecText(*entry);
      return;
    }
  }
}

bool startsAsIsoMedia(const std::uint8_t* first) {
  // Files from old QuickTime have no "ftyp" and start with one of these.
  const std::uint32_t type = std::uint32_t(bigEndian(first + 4, 4));
  for (const std::uint32_t known : {fourCc("ftyp"), fourCc("moov"), fourCc("mdat"), fourCc("wide"), fourCc("free"),
                                    fourCc("skip"), fourCc("pnot")}) {
    if (type == known) return true;
  }
  return false;
}

// ---- Matroska and WebM ----

constexpr std::uint32_t kEbmlHeader = 0x1A45DFA3;
constexpr std::uint32_t kDocType = 0x4282;
constexpr std::uint32_t kSegment = 0x18538067;
constexpr std::uint32_t kTracks = 0x1654AE6B;
constexpr std::uint32_t kTrackEntry = 0xAE;
constexpr std::uint32_t kTrackType = 0x83;
constexpr std::uint32_t kCodecId = 0x86;
constexpr std::uint32_t kCluster = 0x1F43B675;
constexpr std::uint64_t kVideoTrack = 1;

struct Element {
  std::uint32_t id = 0;
  std::uint64_t dataStart = 0;
  std::uint64_t end = 0;
  bool unknownSize = false;
};

// How many bytes a variable-length number takes, from its first byte; 0 when it is longer than
// `longest` or the byte is 0.
std::size_t numberLength(std::uint8_t first, std::size_t longest) {
  for (std::size_t length = 1; length <= longest; ++length) {
    if (first & (0x80 >> (length - 1))) return length;
  }
  return 0;
}

std::optional<Element> elementAt(BoundedReader& reader, std::uint64_t at, std::uint64_t parentEnd) {
  std::uint8_t header[12];
  if (at >= parentEnd) return std::nullopt;
  const std::size_t available = parentEnd - at < sizeof header ? std::size_t(parentEnd - at) : sizeof header;
  if (!reader.readAt(at, header, available)) return std::nullopt;
  const std::size_t idLength = numberLength(header[0], 4);
  if (idLength == 0 || idLength >= available) return std::nullopt;
  const std::size_t sizeLength = numberLength(header[idLength], 8);
  if (sizeLength == 0 || idLength + sizeLength > available) return std::nullopt;
  std::uint64_t size = header[idLength] & (0xFF >> sizeLength);
  bool allOnes = size == (0xFFu >> sizeLength);
  for (std::size_t i = 1; i < sizeLength; ++i) {
    size = size << 8 | header[idLength + i];
    allOnes = allOnes && header[idLength + i] == 0xFF;
  }
  Element element{std::uint32_t(bigEndian(header, idLength)), at + idLength + sizeLength, parentEnd, allOnes};
  if (!allOnes && size < parentEnd - element.dataStart) element.end = element.dataStart + size;
  return element;
}

std::string stringOf(BoundedReader& reader, const Element& element, std::size_t longest) {
  std::array<std::uint8_t, 64> bytes{};
  const std::uint64_t length = element.end - element.dataStart;
  const std::size_t count = length < longest ? std::size_t(length) : longest;
  if (count > bytes.size() || !reader.readAt(element.dataStart, bytes.data(), count)) return {};
  std::string text;
  for (std::size_t i = 0; i < count && bytes[i] != 0; ++i) text += bytes[i] >= 0x20 && bytes[i] < 0x7F ? char(bytes[i]) : '?';
  return text;
}

std::optional<std::string> videoCodecOfTrack(BoundedReader& reader, const Element& track) {
  std::uint64_t type = 0;
  std::string codec;
  for (auto child = elementAt(reader, track.dataStart, track.end); child; child = elementAt(reader, child->end, track.end)) {
    if (child->id == kTrackType && child->end - child->dataStart <= 8) {
      std::uint8_t bytes[8];
      const std::size_t length = std::size_t(child->end - child->dataStart);
      if (!reader.readAt(child->dataStart, bytes, length)) return std::nullopt;
      type = bigEndian(bytes, length);
    } else if (child->id == kCodecId) {
      codec = stringOf(reader, *child, 64);
    }
  }
  if (type != kVideoTrack || codec.empty()) return std::nullopt;
  return codec;
}

void probeMatroska(BoundedReader& reader, VideoProbe& probe) {
  const auto header = elementAt(reader, 0, reader.size());
  if (!header || header->id != kEbmlHeader || header->unknownSize) return;
  std::string docType = "matroska";  // what a header without the element means
  for (auto child = elementAt(reader, header->dataStart, header->end); child;
       child = elementAt(reader, child->end, header->end)) {
    if (child->id == kDocType) docType = stringOf(reader, *child, 16);
  }
  if (docType != "webm" && docType != "matroska") return;
  probe.container = VideoContainer::kMatroska;
  const auto segment = elementAt(reader, header->end, reader.size());
  if (!segment || segment->id != kSegment) return;
  // The tracks come before the first cluster; an element of unknown size cannot be skipped.
  for (auto child = elementAt(reader, segment->dataStart, segment->end); child && child->id != kCluster;
       child = child->unknownSize ? std::nullopt : elementAt(reader, child->end, segment->end)) {
    if (child->id != kTracks) continue;
    for (auto track = elementAt(reader, child->dataStart, child->end); track;
         track = elementAt(reader, track->end, child->end)) {
      if (track->id != kTrackEntry) continue;
      if (auto codec = videoCodecOfTrack(reader, *track)) {
        probe.codec = std::move(*codec);
        return;
      }
    }
    return;
  }
}

constexpr std::uint8_t kAsfHeaderGuid[16] = {0x30, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11,
                                             0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C};

struct CodecVerdict {
  const char* codec;
  const char* advice;  // empty when every Windows 10 and 11 with Media Foundation plays it
};

constexpr const char* kHevc =
    "is HEVC (H.265) video, which plays only where the viewer has installed the HEVC Video Extensions "
    "from the Microsoft Store; H.264 plays everywhere";
// Microsoft's VP9 Video Extensions bring the VP8 decoder too.
constexpr const char* kVp8 =
    "is VP8 video, which some Windows editions play only with the VP9 Video Extensions from the Microsoft "
    "Store; H.264 in MP4 plays everywhere";
constexpr const char* kVp9 =
    "is VP9 video, which some Windows editions play only with the VP9 Video Extensions from the Microsoft "
    "Store; H.264 in MP4 plays everywhere";
constexpr const char* kAv1 =
    "is AV1 video, which some Windows editions play only with the AV1 Video Extension from the Microsoft "
    "Store; H.264 in MP4 plays everywhere";

const CodecVerdict kVerdicts[] = {
    {"avc1", ""}, {"avc3", ""}, {"mp4v", ""}, {"hvc1", kHevc}, {"hev1", kHevc}, {"vp08", kVp8}, {"vp09", kVp9},
    {"av01", kAv1}, {"V_MPEG4/ISO/AVC", ""}, {"V_MPEG4/ISO/SP", ""}, {"V_MPEG4/ISO/ASP", ""},
    {"V_MPEG4/ISO/AP", ""}, {"V_MPEGH/ISO/HEVC", kHevc}, {"V_VP8", kVp8}, {"V_VP9", kVp9}, {"V_AV1", kAv1},
};

}  // namespace

bool isVideoName(std::string_view path) {
  const std::size_t dot = path.rfind('.');
  if (dot == std::string_view::npos || path.find_first_of("/\\", dot) != std::string_view::npos) return false;
  std::string extension;
  for (const char c : path.substr(dot + 1)) extension += c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
  return extension == "mp4" || extension == "m4v" || extension == "mov" || extension == "wmv" || extension == "webm";
}

VideoProbe probeVideo(const ByteReader& read, std::uint64_t size) {
  BoundedReader reader(read, size);
  VideoProbe probe;
  std::uint8_t first[16];
  if (!reader.readAt(0, first, size < 16 ? std::size_t(size) : 16) || size < 8) return probe;
  if (startsAsIsoMedia(first)) {
    probe.container = VideoContainer::kIsoMedia;
    probeIsoMedia(reader, probe);
  } else if (bigEndian(first, 4) == kEbmlHeader) {
    probeMatroska(reader, probe);
  } else if (size >= 16 && std::equal(std::begin(kAsfHeaderGuid), std::end(kAsfHeaderGuid), first)) {
    probe.container = VideoContainer::kAsf;
  }
  return probe;
}

std::string videoAdvice(const VideoProbe& probe) {
  if (probe.container == VideoContainer::kUnknown) {
    return "is not a video container Windows knows (MP4, MOV, WebM or WMV), so the saver cannot play it";
  }
  if (probe.codec.empty()) return {};
  for (const CodecVerdict& verdict : kVerdicts) {
    if (probe.codec == verdict.codec) return verdict.advice;
  }
  return "is video in \"" + probe.codec + "\", which Windows does not play without codecs of its own; "
         "re-encode it as H.264 in MP4";
}

}  // namespace saverpack
