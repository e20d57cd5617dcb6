// Movie header parsing; see the header. The file is untrusted: every read is bounded by what
// was actually read or inflated, and only the first few kilobytes are ever looked at.
#include "movie_header.h"

#include <windows.h>
#include <zlib.h>

#include <vector>

namespace standin {
namespace {

constexpr std::size_t kFileHeaderSize = 8;  // signature, version, uncompressed length
constexpr DWORD kReadLimit = 64 * 1024;
// The background tag comes first or right after the attributes tag; this is plenty.
constexpr std::size_t kImageLimit = 8 * 1024;
constexpr unsigned kEndTag = 0;
constexpr unsigned kBackgroundTag = 9;
constexpr unsigned kTwipsPerPixel = 20;

// The frame rectangle is bit-packed, most significant bit first.
class BitReader {
 public:
  BitReader(const std::uint8_t* data, std::size_t size) : data_(data), bits_(size * 8) {}
  bool readUnsigned(unsigned count, std::uint32_t& value) {
    if (count > 32 || bits_ - position_ < count) return false;
    value = 0;
    for (unsigned i = 0; i < count; ++i, ++position_) {
      const unsigned bit = (data_[position_ / 8] >> (7 - position_ % 8)) & 1u;
      value = (value << 1) | bit;
    }
    return true;
  }
  bool readSigned(unsigned count, long long& value) {
    std::uint32_t raw = 0;
    if (!readUnsigned(count, raw)) return false;
    value = raw;
    if (count > 0 && (raw >> (count - 1)) & 1u) value -= 1LL << count;
    return true;
  }
  std::size_t bytesUsed() const { return (position_ + 7) / 8; }

 private:
  const std::uint8_t* data_;
  std::size_t bits_;
  std::size_t position_ = 0;
};

unsigned readLe16(const std::uint8_t* p) { return p[0] | (p[1] << 8); }
std::uint32_t readLe32(const std::uint8_t* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

MovieHeader failure(std::string problem) {
  MovieHeader header;
  header.problem = std::move(problem);
  return header;
}

bool hasSignature(const std::uint8_t* data, std::size_t size, char first) {
  return size >= 3 && data[0] == first && data[1] == 'W' && data[2] == 'S';
}

// Looks for the background colour among the first tags; stops at the end tag or at a tag that
// runs past what was read, keeping the default colour.
void findBackground(const std::uint8_t* data, std::size_t size, std::size_t position,
                    MovieHeader& header) {
  while (size - position >= 2) {
    const unsigned value = readLe16(data + position);
    position += 2;
    const unsigned code = value >> 6;
    std::uint32_t length = value & 63u;
    if (length == 63) {
      if (size - position < 4) return;
      length = readLe32(data + position);
      position += 4;
    }
    if (code == kEndTag || length > size - position) return;
    if (code == kBackgroundTag) {
      if (length < 3) return;
      header.red = data[position];
      header.green = data[position + 1];
      header.blue = data[position + 2];
      return;
    }
    position += length;
  }
}

// Inflates the body of a compressed movie behind a copy of its file header, up to the limit.
bool inflateImage(const std::vector<std::uint8_t>& file, std::vector<std::uint8_t>& image,
                  std::string& problem) {
  image.assign(file.begin(), file.begin() + kFileHeaderSize);
  image.resize(kImageLimit);
  z_stream stream{};
  if (inflateInit(&stream) != Z_OK) {
    problem = "zlib cannot start";
    return false;
  }
  stream.next_in = const_cast<Bytef*>(file.data() + kFileHeaderSize);
  stream.avail_in = static_cast<uInt>(file.size() - kFileHeaderSize);
  stream.next_out = image.data() + kFileHeaderSize;
  stream.avail_out = static_cast<uInt>(kImageLimit - kFileHeaderSize);
  const int result = inflate(&stream, Z_SYNC_FLUSH);
  const uLong produced = stream.total_out;
  inflateEnd(&stream);
  // A full buffer or a body cut off by the read limit is fine: the header is at the start.
  if (result != Z_OK && result != Z_STREAM_END && result != Z_BUF_ERROR) {
    problem = "the compressed body is damaged (zlib " + std::to_string(result) + ")";
    return false;
  }
  image.resize(kFileHeaderSize + produced);
  return true;
}

}  // namespace

MovieHeader parseMovie(const std::uint8_t* data, std::size_t size) {
  if (!hasSignature(data, size, 'F') && !hasSignature(data, size, 'C')) {
    if (hasSignature(data, size, 'Z')) return failure("LZMA-compressed movies are not supported");
    return failure("not a movie file");
  }
  if (size < kFileHeaderSize) return failure("the file header is cut short");
  MovieHeader header;
  header.version = data[3];

  BitReader bits(data + kFileHeaderSize, size - kFileHeaderSize);
  std::uint32_t fieldBits = 0;
  long long xMin = 0, xMax = 0, yMin = 0, yMax = 0;
  if (!bits.readUnsigned(5, fieldBits) || !bits.readSigned(fieldBits, xMin) ||
      !bits.readSigned(fieldBits, xMax) || !bits.readSigned(fieldBits, yMin) ||
      !bits.readSigned(fieldBits, yMax)) {
    return failure("the frame size is cut short");
  }
  header.widthPixels = static_cast<long>((xMax - xMin) / kTwipsPerPixel);
  header.heightPixels = static_cast<long>((yMax - yMin) / kTwipsPerPixel);

  std::size_t position = kFileHeaderSize + bits.bytesUsed();
  if (size - position < 4) return failure("the frame rate and count are cut short");
  header.frameRateFraction = data[position];
  header.frameRateWhole = data[position + 1];
  header.frameCount = readLe16(data + position + 2);
  position += 4;

  header.valid = true;
  findBackground(data, size, position, header);
  return header;
}

MovieHeader readMovieFile(const std::wstring& path) {
  if (path.empty()) return failure("no movie set");
  HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    return failure("cannot open the file (error " + std::to_string(::GetLastError()) + ")");
  }
  std::vector<std::uint8_t> bytes(kReadLimit);
  DWORD total = 0, got = 0;
  while (total < kReadLimit &&
         ::ReadFile(file, bytes.data() + total, kReadLimit - total, &got, nullptr) && got > 0) {
    total += got;
  }
  ::CloseHandle(file);
  bytes.resize(total);

  if (!hasSignature(bytes.data(), bytes.size(), 'C') || bytes.size() < kFileHeaderSize) {
    return parseMovie(bytes.data(), bytes.size());
  }
  std::vector<std::uint8_t> image;
  std::string problem;
  if (!inflateImage(bytes, image, problem)) return failure(problem);
  return parseMovie(image.data(), image.size());
}

}  // namespace standin
