// One walk over a screen saver data file for everything that reads one: the installer's check
// before an install and its expansion, and saverpack's inspect, verify and extract. The walker
// reads the saver record and the directory and holds every bounds rule; what an item means (a
// fault that ends the install, a finding to note, a file to write) is the caller's, decided in
// the function it hands to visitItems. A check visits and judges each item's header; an
// expansion also reads the item's data, from where the header read leaves the file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "common/status.h"
#include "package/data_file_format.h"
#include "platform/file_system.h"

namespace saverkit {

struct DataFileItem {
  std::int32_t number = 0;  // counted from 1, as the directory does
  DirectoryRecord record;   // as stored
  // The installer copies this item from its own movie instead of reading it from the data
  // file, so the file holds no header for it: an item of kind 3, or item 1 of a kind-3 saver
  // whatever its own kind says.
  bool copiesMovie = false;
};

class DataFileWalker {
 public:
  // The data file is the `length` bytes from `start` in `file`: a slot of the installer's
  // working copy, or a file of its own from 0.
  DataFileWalker(ReadableFile& file, std::int64_t start, std::int64_t length);

  // Reads the saver record and the directory: 0, -605 for an item count outside 0 to 1010 or a
  // directory that runs past the end, or the system's code (38 for fewer bytes than the
  // record). The record is kept whenever it could be read, so that a refusal can name its count.
  Status readDirectory();
  const SaverRecord& record() const { return record_; }
  std::int32_t itemCount() const { return count_; }

  // Item `number` of the directory read; 1 to itemCount().
  DataFileItem item(std::int32_t number) const;

  // Hands items 1 to itemCount() to `visit` in order, skipped ones too; the first status other
  // than 0 it returns ends the walk and is returned.
  Status visitItems(const std::function<Status(const DataFileItem&)>& visit) const;

  // Reads the item's header and judges it and its data against the data file: 0; -605 for a
  // header outside the file, with `header` left empty; -7 or -605 for its data (see
  // itemDataStatus), with `header` set; or the system's code. After 0 the file stands at the
  // item's first data byte, for an expansion to read from.
  Status readItemHeader(const DataFileItem& item, std::optional<ItemHeader>& header);

  ReadableFile& file() { return file_; }

 private:
  ReadableFile& file_;
  std::int64_t start_;
  std::int64_t length_;
  SaverRecord record_;
  std::int32_t count_ = 0;
  std::vector<std::uint8_t> directory_;
};

// Bytes already in memory, read as a file, so that saverpack walks the file it has loaded with
// the installer's own walker.
class ByteSpanFile final : public ReadableFile {
 public:
  ByteSpanFile(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  Status seek(std::uint64_t offset) override;
  Status read(void* buffer, std::size_t size, std::size_t& bytesRead) override;
  std::uint64_t size() const override { return size_; }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::uint64_t position_ = 0;
};

// A stretch of another file, read as a file of its own: the installer reads a stored data file
// where it lies in the working copy of the package rather than writing it out first. Every read
// positions the file underneath, so other readers of that file may move it in between.
class FileSlice final : public ReadableFile {
 public:
  FileSlice(ReadableFile& file, std::uint64_t start, std::uint64_t length)
      : file_(file), start_(start), length_(length) {}
  Status seek(std::uint64_t offset) override;
  Status read(void* buffer, std::size_t size, std::size_t& bytesRead) override;
  std::uint64_t size() const override { return length_; }

 private:
  ReadableFile& file_;
  std::uint64_t start_;
  std::uint64_t length_;
  std::uint64_t position_ = 0;
};

}  // namespace saverkit
