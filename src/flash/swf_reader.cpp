// The movie file reader; see the header.
#include "flash/swf_reader.h"

#include <zlib.h>

#include <array>
#include <cstring>
#include <memory>

#include "common/saverkit_error.h"
#include "common/text_helpers.h"
#include "system/folders.h"

namespace saverkit {
namespace {

// Copies and expansions go in blocks of this size, so memory does not grow with the movie.
constexpr std::size_t kBlockSize = 2048;
constexpr std::uint32_t kBackgroundColorTag = 9;
constexpr std::uint32_t kLongLengthFollows = 63;

constexpr std::size_t kHeaderSize = 8;
constexpr const char* kBeyondDeclaredLength = "Zlib: the movie expands beyond its declared length";
constexpr const char* kBeyondCeiling = "Zlib: the movie expands beyond 64 MiB";
static_assert(kLargestExpandedMovie == std::uint64_t{64} << 20, "the ceiling's message names its size");

[[noreturn]] void raiseReadError() { throw SaverkitError("Stream read error"); }

std::unique_ptr<ReadableFile> openOrRaise(FileSystem& files, const std::string& path) {
  Status error = 0;
  auto file = files.openForReading(path, error);
  if (!file) throw SaverkitError("Cannot open file \"" + path + "\". System error " + decimal(error));
  return file;
}

std::unique_ptr<WritableFile> createOrRaise(FileSystem& files, const std::string& path) {
  Status error = 0;
  auto file = files.createFile(path, error);
  if (!file) throw SaverkitError("Cannot create file \"" + path + "\". System error " + decimal(error));
  return file;
}

void writeOrRaise(WritableFile& file, const void* data, std::size_t size) {
  const Status error = file.write(data, size);
  if (error != status::kSuccess) throw SaverkitError("I/O error " + decimal(error));
}

// Up to `size` bytes; fewer only at the end of the file. A failing read is an I/O error.
std::size_t readSome(ReadableFile& file, void* buffer, std::size_t size) {
  std::size_t got = 0;
  const Status error = file.read(buffer, size, got);
  if (error != status::kSuccess) throw SaverkitError("I/O error " + decimal(error));
  return got;
}

void readExactly(ReadableFile& file, void* buffer, std::size_t size) {
  auto* bytes = static_cast<std::uint8_t*>(buffer);
  while (size > 0) {
    const std::size_t got = readSome(file, bytes, size);
    if (got == 0) raiseReadError();
    bytes += got;
    size -= got;
  }
}

// A tag body is read and dropped in blocks: a hostile length cannot make us allocate it whole.
void skipExactly(ReadableFile& file, std::uint64_t size) {
  std::array<std::uint8_t, kBlockSize> block{};
  while (size > 0) {
    const std::size_t part = size < block.size() ? static_cast<std::size_t>(size) : block.size();
    readExactly(file, block.data(), part);
    size -= part;
  }
}

std::uint32_t littleEndian32(const std::uint8_t* bytes) {
  return bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) | (static_cast<std::uint32_t>(bytes[3]) << 24);
}

// Frame rectangle, frame rate and frame count: skipped, but they must be there.
void skipFrameHeader(ReadableFile& file) {
  std::uint8_t first = 0;
  readExactly(file, &first, 1);
  const unsigned bits = 4u * (first / 8u) + 5u;
  const unsigned rectangleBytes = bits / 8u + (bits % 8u != 0 ? 1u : 0u);
  skipExactly(file, rectangleBytes - 1u + 2u + 2u);
}

void walkTagsToBackgroundColor(ReadableFile& file) {
  std::uint8_t header[2];
  std::uint32_t length = 0;
  readExactly(file, header, 2);
  while (!isBackgroundColorTag(header, length)) {
    if (length == kLongLengthFollows) {
      std::uint8_t longLength[4];
      readExactly(file, longLength, 4);
      length = littleEndian32(longLength);
      if (length > 0x7FFFFFFFu) throw SaverkitError("Range check error");
    }
    skipExactly(file, length);
    readExactly(file, header, 2);
  }
  skipExactly(file, length);  // the colour itself: three bytes in a well-formed tag
}

// Copies the movie's body behind its 8-byte header into the segment file; returns the header.
std::array<std::uint8_t, 8> copyCompressedSegment(FileSystem& files, const std::string& movie,
                                                  const std::string& segment) {
  std::array<std::uint8_t, 8> header{};
  auto source = openOrRaise(files, movie);
  readExactly(*source, header.data(), header.size());
  auto target = createOrRaise(files, segment);
  std::array<std::uint8_t, kBlockSize> block{};
  while (const std::size_t got = readSome(*source, block.data(), block.size())) {
    writeOrRaise(*target, block.data(), got);
  }
  const Status closed = target->close();
  if (closed != status::kSuccess) throw SaverkitError("I/O error " + decimal(closed));
  return header;
}

struct InflateStream {
  InflateStream() {
    if (inflateInit(&stream) != Z_OK) throw SaverkitError("Zlib: out of memory");
  }
  ~InflateStream() { inflateEnd(&stream); }
  InflateStream(const InflateStream&) = delete;
  InflateStream& operator=(const InflateStream&) = delete;
  z_stream stream{};
};

// How many bytes the expansion may write behind the header, and what is raised past them.
struct ExpansionLimit {
  std::uint64_t bytes = 0;
  const char* message = "";
};

// An honest header declares the whole expanded movie, header included; the ceiling holds for a
// header that declares more than any movie we would play.
ExpansionLimit expansionLimitOf(const std::array<std::uint8_t, 8>& header) {
  const std::uint64_t declared = littleEndian32(header.data() + 4);
  if (declared > kLargestExpandedMovie) return {kLargestExpandedMovie - kHeaderSize, kBeyondCeiling};
  return {declared < kHeaderSize ? 0 : declared - kHeaderSize, kBeyondDeclaredLength};
}

// Expands the segment into `target`, never past `limit`. A stream that simply runs out ends the
// expansion.
void expandSegment(ReadableFile& segment, WritableFile& target, const ExpansionLimit& limit) {
  std::uint64_t written = 0;
  InflateStream inflater;
  z_stream& stream = inflater.stream;
  std::array<std::uint8_t, kBlockSize> input{};
  std::array<std::uint8_t, kBlockSize> output{};
  for (;;) {
    if (stream.avail_in == 0) {
      const std::size_t got = readSome(segment, input.data(), input.size());
      if (got == 0) return;
      stream.next_in = input.data();
      stream.avail_in = static_cast<uInt>(got);
    }
    stream.next_out = output.data();
    stream.avail_out = static_cast<uInt>(output.size());
    const int result = inflate(&stream, Z_NO_FLUSH);
    if (result == Z_DATA_ERROR || result == Z_NEED_DICT || result == Z_MEM_ERROR) {
      throw SaverkitError("Zlib: data error");
    }
    const std::size_t produced = output.size() - stream.avail_out;
    if (produced > limit.bytes - written) throw SaverkitError(limit.message);
    writeOrRaise(target, output.data(), produced);
    written += produced;
    if (result == Z_STREAM_END) return;
  }
}

}  // namespace

bool isBackgroundColorTag(const std::uint8_t header[2], std::uint32_t& shortLength) {
  const std::uint32_t value = header[0] + 256u * header[1];
  shortLength = value & 63u;
  return (value >> 6) == kBackgroundColorTag;
}

Status readSWFFileFormatType(FileSystem& files, MovieFileState& movie) {
  if (!files.fileExists(movie.swfFilename)) return status::kSuccess;
  auto file = openOrRaise(files, movie.swfFilename);
  char signature[3];
  readExactly(*file, signature, sizeof signature);
  movie.formatSignature.assign(signature, sizeof signature);
  const bool known = movie.formatSignature == "FWS" || movie.formatSignature == "CWS";
  return known ? status::kSuccess : status::kMovieUnreadable404;
}

Status inflateSWFFileToTempFile(FileSystem& files, SystemInfo& system, MovieFileState& movie) {
  if (movie.tempFolder.empty()) {
    // Made with rights for administrators only, as the working folder is, and held until the
    // panel removes it.
    std::unique_ptr<HeldFolder> hold;
    const Status created = createWorkingFolder(files, system, kPanelFolderPrefix, movie.tempFolder, hold);
    if (created != status::kSuccess) {
      movie.tempFolder.clear();
      return created;
    }
    movie.tempFolderHold = std::move(hold);
  }
  const std::string segmentPath = movie.tempFolder + kCompressedSegmentName;
  const std::string expandedPath = movie.tempFolder + kUncompressedMovieName;
  if (!files.fileExists(movie.swfFilename)) return status::kSuccess;
  const std::array<std::uint8_t, 8> header = copyCompressedSegment(files, movie.swfFilename, segmentPath);
  auto segment = openOrRaise(files, segmentPath);
  auto expanded = createOrRaise(files, expandedPath);
  // The copy reads like an uncompressed movie: "FWS", the movie's version and declared length.
  writeOrRaise(*expanded, "FWS", 3);
  writeOrRaise(*expanded, header.data() + 3, 5);
  expandSegment(*segment, *expanded, expansionLimitOf(header));
  const Status closed = expanded->close();
  if (closed != status::kSuccess) throw SaverkitError("I/O error " + decimal(closed));
  return status::kSuccess;
}

Status readSWFFile_FWS_Format(FileSystem& files, MovieFileState& movie, const std::string& path) {
  movie.swfVersion = 0;
  if (!files.fileExists(path)) return status::kSuccess;
  auto file = openOrRaise(files, path);
  std::uint8_t header[8];
  readExactly(*file, header, 3);
  if (std::memcmp(header, "FWS", 3) != 0) return status::kMovieUnreadable404;
  readExactly(*file, header + 3, 1);
  movie.swfVersion = header[3];
  if (movie.swfVersion > kNewestMovieVersion) return status::kMovieUnreadable405;
  if (movie.swfVersion < kOldestMovieVersion) return status::kMovieUnreadable406;
  readExactly(*file, header + 4, 4);  // the declared length, which nothing here relies on
  skipFrameHeader(*file);
  walkTagsToBackgroundColor(*file);
  return status::kSuccess;
}

}  // namespace saverkit
