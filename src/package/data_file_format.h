// The screen saver data file carried in slot 8: a raw saver record the engine reads, a
// directory of items, and the item records the directory points at. The installer only needs
// the item count, the saver kind and the directory to write the saver's content into its
// product folder; every other byte of the record belongs to the engine and passes through.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace saverkit {

inline constexpr std::size_t kSaverRecordSize = 1240;
inline constexpr std::size_t kSaverRecordItemCountOffset = 212;
inline constexpr std::size_t kSaverRecordSaverKindOffset = 1204;
inline constexpr std::size_t kDirectoryRecordSize = 264;
inline constexpr std::size_t kItemPathFieldSize = 256;
inline constexpr std::size_t kMaxItemPathLength = 255;  // one byte stays for the terminating NUL
inline constexpr std::size_t kItemHeaderSize = 44;
// The installer's directory table has room for this many items and no more.
inline constexpr std::int32_t kMaxDataFileItems = 1010;

// Saver kind 3: the first item is the installer's own Flash movie.
inline constexpr std::int32_t kSaverKindInstallerMovie = 3;
// Item kind 3: a Flash movie copied by the installer rather than carried in the data file.
inline constexpr std::uint8_t kItemKindMovieCopy = 3;
inline constexpr std::uint8_t kItemKindData = 0;

struct SaverRecord {
  std::array<std::uint8_t, kSaverRecordSize> bytes{};

  std::int32_t itemCount() const;
  void setItemCount(std::int32_t count);
  std::int32_t saverKind() const;
  void setSaverKind(std::int32_t kind);
};

struct DirectoryRecord {
  std::uint8_t itemKind = kItemKindData;
  std::string path;  // relative to the product folder, "\"-separated; empty = skipped
  std::int32_t itemOffset = 0;  // absolute offset of the item record in the data file

  bool isMovieCopy() const { return itemKind == kItemKindMovieCopy; }
};

struct ItemHeader {
  std::int32_t expandedSize = 0;  // 0 = nothing written
  std::int32_t storedSize = 0;    // data bytes of an imploded item
  bool imploded = false;

  // Bytes following the header that belong to the item, in 64 bits; negative sizes stay
  // negative so callers can refuse them.
  std::int64_t dataLength() const { return imploded ? storedSize : expandedSize; }
};

// Where the directory entry of item `number` (counted from 1) starts.
inline constexpr std::int64_t directoryRecordOffset(std::int64_t number) {
  return std::int64_t(kSaverRecordSize) + (number - 1) * std::int64_t(kDirectoryRecordSize);
}
// Where the first item record may start after a directory of `count` items.
inline constexpr std::int64_t directoryEnd(std::int64_t count) {
  return directoryRecordOffset(count + 1);
}

// The rules a data file of `size` bytes must keep, in one place for the data file walker that
// every reader goes through: a directory of 0..1010 records inside the file,
// item headers inside it, and item data (-7 for a length of zero or less, -605 beyond the end;
// an item of expanded size 0 has no data and passes).
bool directoryFits(std::int32_t itemCount, std::int64_t size);
bool itemHeaderFits(std::int64_t itemOffset, std::int64_t size);
std::int32_t itemDataStatus(std::int64_t itemOffset, const ItemHeader& header, std::int64_t size);
// The item's path with "\" separators, as the product folder's paths are built.
std::string itemRelativePath(const DirectoryRecord& record);

// Each decoder returns nothing when given fewer bytes than its record needs.
std::optional<SaverRecord> decodeSaverRecord(const std::uint8_t* data, std::size_t size);
std::optional<DirectoryRecord> decodeDirectoryRecord(const std::uint8_t* data, std::size_t size);
std::optional<ItemHeader> decodeItemHeader(const std::uint8_t* data, std::size_t size);

// Throws std::invalid_argument when the path is longer than kMaxItemPathLength.
std::array<std::uint8_t, kDirectoryRecordSize> encodeDirectoryRecord(const DirectoryRecord& record);
std::array<std::uint8_t, kItemHeaderSize> encodeItemHeader(const ItemHeader& header);

}  // namespace saverkit
