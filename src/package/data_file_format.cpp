// Data file record codecs; see the header. The unread bytes of a directory entry and an item
// header are written as zeros so that files we build are reproducible.
#include "package/data_file_format.h"

#include "common/status.h"

#include <cstring>
#include <stdexcept>

#include "package/package_format.h"

namespace saverkit {
namespace {

constexpr std::size_t kDirectoryKindOffset = 0;
constexpr std::size_t kDirectoryPathOffset = 2;
constexpr std::size_t kDirectoryItemOffsetOffset = 260;
static_assert(kDirectoryItemOffsetOffset + 4 == kDirectoryRecordSize, "a directory entry is 264 bytes");
static_assert(kDirectoryPathOffset + kItemPathFieldSize + 2 == kDirectoryItemOffsetOffset,
              "two unread bytes follow the path");

constexpr std::size_t kItemExpandedSizeOffset = 8;
constexpr std::size_t kItemStoredSizeOffset = 12;
constexpr std::size_t kItemImplodedOffset = 16;
static_assert(kItemImplodedOffset + 4 + 24 == kItemHeaderSize, "24 unread bytes end the header");

static_assert(kSaverRecordItemCountOffset + 4 <= kSaverRecordSize &&
                  kSaverRecordSaverKindOffset + 4 <= kSaverRecordSize,
              "the record's known fields lie inside it");

}  // namespace

std::int32_t SaverRecord::itemCount() const {
  return readInt32Le(bytes.data() + kSaverRecordItemCountOffset);
}

void SaverRecord::setItemCount(std::int32_t count) {
  writeInt32Le(bytes.data() + kSaverRecordItemCountOffset, count);
}

std::int32_t SaverRecord::saverKind() const {
  return readInt32Le(bytes.data() + kSaverRecordSaverKindOffset);
}

void SaverRecord::setSaverKind(std::int32_t kind) {
  writeInt32Le(bytes.data() + kSaverRecordSaverKindOffset, kind);
}

std::optional<SaverRecord> decodeSaverRecord(const std::uint8_t* data, std::size_t size) {
  if (data == nullptr || size < kSaverRecordSize) return std::nullopt;
  SaverRecord record;
  std::memcpy(record.bytes.data(), data, kSaverRecordSize);
  return record;
}

std::optional<DirectoryRecord> decodeDirectoryRecord(const std::uint8_t* data, std::size_t size) {
  if (data == nullptr || size < kDirectoryRecordSize) return std::nullopt;
  DirectoryRecord record;
  record.itemKind = data[kDirectoryKindOffset];
  const auto* path = reinterpret_cast<const char*>(data + kDirectoryPathOffset);
  record.path.assign(path, strnlen(path, kItemPathFieldSize));
  record.itemOffset = readInt32Le(data + kDirectoryItemOffsetOffset);
  return record;
}

bool directoryFits(std::int32_t itemCount, std::int64_t size) {
  return itemCount >= 0 && itemCount <= kMaxDataFileItems && directoryEnd(itemCount) <= size;
}

bool itemHeaderFits(std::int64_t itemOffset, std::int64_t size) {
  return itemOffset >= 0 && itemOffset + std::int64_t{kItemHeaderSize} <= size;
}

std::int32_t itemDataStatus(std::int64_t itemOffset, const ItemHeader& header, std::int64_t size) {
  if (header.expandedSize == 0) return status::kSuccess;
  if (header.dataLength() <= 0) return status::kNoMemory;
  if (itemOffset + std::int64_t{kItemHeaderSize} + header.dataLength() > size) return status::kDataFileDamaged;
  return status::kSuccess;
}

std::string itemRelativePath(const DirectoryRecord& record) {
  std::string path = record.path;
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
}

std::optional<ItemHeader> decodeItemHeader(const std::uint8_t* data, std::size_t size) {
  if (data == nullptr || size < kItemHeaderSize) return std::nullopt;
  ItemHeader header;
  header.expandedSize = readInt32Le(data + kItemExpandedSizeOffset);
  header.storedSize = readInt32Le(data + kItemStoredSizeOffset);
  header.imploded = readInt32Le(data + kItemImplodedOffset) != 0;
  return header;
}

std::array<std::uint8_t, kDirectoryRecordSize> encodeDirectoryRecord(const DirectoryRecord& record) {
  // A path filling all 256 bytes would have no terminator, and readers differ on whether
  // they stop there; keep one NUL so every reader sees the same path.
  if (record.path.size() > kMaxItemPathLength) {
    throw std::invalid_argument("item path longer than 255 characters: " + record.path);
  }
  std::array<std::uint8_t, kDirectoryRecordSize> bytes{};
  bytes[kDirectoryKindOffset] = record.itemKind;
  std::memcpy(bytes.data() + kDirectoryPathOffset, record.path.data(), record.path.size());
  writeInt32Le(bytes.data() + kDirectoryItemOffsetOffset, record.itemOffset);
  return bytes;
}

std::array<std::uint8_t, kItemHeaderSize> encodeItemHeader(const ItemHeader& header) {
  std::array<std::uint8_t, kItemHeaderSize> bytes{};
  writeInt32Le(bytes.data() + kItemExpandedSizeOffset, header.expandedSize);
  writeInt32Le(bytes.data() + kItemStoredSizeOffset, header.storedSize);
  writeInt32Le(bytes.data() + kItemImplodedOffset, header.imploded ? 1 : 0);
  return bytes;
}

}  // namespace saverkit
