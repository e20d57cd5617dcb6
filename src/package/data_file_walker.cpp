// The data file walker; see the header. Bounds are judged in 64 bits against the data file's
// own length, never the length of the file it sits in, so a slot cannot reach into the next.
#include "package/data_file_walker.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "package/stream_copy.h"

namespace saverkit {

DataFileWalker::DataFileWalker(ReadableFile& file, std::int64_t start, std::int64_t length)
    : file_(file), start_(start), length_(length) {}

Status DataFileWalker::readDirectory() {
  count_ = 0;
  directory_.clear();
  Status result = file_.seek(static_cast<std::uint64_t>(start_));
  if (result == status::kSuccess) result = readExactly(file_, record_.bytes.data(), kSaverRecordSize);
  if (result != status::kSuccess) return result;
  const std::int32_t count = record_.itemCount();
  if (!directoryFits(count, length_)) return status::kDataFileDamaged;
  directory_.resize(static_cast<std::size_t>(count) * kDirectoryRecordSize);
  if ((result = readExactly(file_, directory_.data(), directory_.size())) != status::kSuccess) return result;
  count_ = count;
  return status::kSuccess;
}

DataFileItem DataFileWalker::item(std::int32_t number) const {
  DataFileItem item;
  item.number = number;
  const std::size_t at = static_cast<std::size_t>(number - 1) * kDirectoryRecordSize;
  item.record = *decodeDirectoryRecord(directory_.data() + at, kDirectoryRecordSize);
  item.copiesMovie = item.record.isMovieCopy() || (number == 1 && record_.saverKind() == kSaverKindInstallerMovie);
  return item;
}

Status DataFileWalker::visitItems(const std::function<Status(const DataFileItem&)>& visit) const {
  for (std::int32_t number = 1; number <= count_; ++number) {
    if (const Status result = visit(item(number))) return result;
  }
  return status::kSuccess;
}

Status DataFileWalker::readItemHeader(const DataFileItem& item, std::optional<ItemHeader>& header) {
  header.reset();
  const std::int64_t offset = item.record.itemOffset;
  if (!itemHeaderFits(offset, length_)) return status::kDataFileDamaged;
  std::array<std::uint8_t, kItemHeaderSize> bytes{};
  Status result = file_.seek(static_cast<std::uint64_t>(start_ + offset));
  if (result == status::kSuccess) result = readExactly(file_, bytes.data(), bytes.size());
  if (result != status::kSuccess) return result;
  header = decodeItemHeader(bytes.data(), bytes.size());
  return itemDataStatus(offset, *header, length_);
}

Status ByteSpanFile::seek(std::uint64_t offset) {
  position_ = offset;
  return status::kSuccess;
}

Status ByteSpanFile::read(void* buffer, std::size_t size, std::size_t& bytesRead) {
  const std::uint64_t left = position_ < size_ ? size_ - position_ : 0;
  bytesRead = static_cast<std::size_t>(std::min<std::uint64_t>(left, size));
  if (bytesRead > 0) std::memcpy(buffer, data_ + position_, bytesRead);
  position_ += bytesRead;
  return status::kSuccess;
}

Status FileSlice::seek(std::uint64_t offset) {
  position_ = offset;
  return status::kSuccess;
}

Status FileSlice::read(void* buffer, std::size_t size, std::size_t& bytesRead) {
  bytesRead = 0;
  const std::uint64_t left = position_ < length_ ? length_ - position_ : 0;
  const auto wanted = static_cast<std::size_t>(std::min<std::uint64_t>(left, size));
  if (wanted == 0) return status::kSuccess;
  if (const Status error = file_.seek(start_ + position_)) return error;
  const Status error = file_.read(buffer, wanted, bytesRead);
  position_ += bytesRead;
  return error;
}

}  // namespace saverkit
