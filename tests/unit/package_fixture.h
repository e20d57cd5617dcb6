// Builds installer files in memory for the package tests: a zero stub of the fixed size, the
// header, and each slot's bytes (stored or imploded) appended with their absolute offsets.
#pragma once

#include <string>
#include <vector>

#include "installer/fake/fake_platform.h"
#include "package/data_file_format.h"
#include "package/package_format.h"
#include "saverkit/implode/codec.h"

namespace saverkit::testing {

class InstallerImage {
 public:
  InstallerImage() {
    header.presentationMode = 1;
    header.saverName = "Ocean";
    setSlot(1, "impborl.dat", 4, "MZ-library");
  }

  // The extension record's block, after the slots; none when empty.
  std::string extensionBlock;

  // Stored or imploded data for a slot; the offsets are filled in by bytes().
  void setSlot(int slot, const std::string& name, int destination, const std::string& data,
               bool imploded = false) {
    PackageEntry& entry = header.entries[static_cast<std::size_t>(slot)];
    entry.name = name;
    entry.destination = destination;
    entry.imploded = imploded;
    entry.expandedSize = static_cast<std::int32_t>(data.size());
    data_[static_cast<std::size_t>(slot)] = imploded ? implodeBytes(data) : data;
  }

  std::string bytes() {
    std::string image(static_cast<std::size_t>(kInstallerSizeInBytes) + kPackageHeaderSize, '\0');
    for (std::size_t slot = 0; slot < kPackageSlotCount; ++slot) {
      PackageEntry& entry = header.entries[slot];
      if (entry.isEmpty() || keepOffsets_[slot]) continue;
      entry.startOffset = static_cast<std::int32_t>(image.size());
      entry.endOffset = static_cast<std::int32_t>(image.size() + data_[slot].size()) - 1;
      image += data_[slot];
    }
    if (!extensionBlock.empty()) {
      header.extensionBlock.emplace(static_cast<std::int32_t>(image.size()),
                                    static_cast<std::int32_t>(image.size() + extensionBlock.size()) - 1);
      image += extensionBlock;
    }
    const auto encoded = encodePackageHeader(header);
    image.replace(static_cast<std::size_t>(kInstallerSizeInBytes), kPackageHeaderSize,
                  reinterpret_cast<const char*>(encoded.data()), encoded.size());
    return image;
  }

  // Offsets set by the test itself (for broken packages).
  void setOffsets(int slot, std::int32_t start, std::int32_t end) {
    header.entries[static_cast<std::size_t>(slot)].startOffset = start;
    header.entries[static_cast<std::size_t>(slot)].endOffset = end;
    keepOffsets_[static_cast<std::size_t>(slot)] = true;
  }

  static std::string implodeBytes(const std::string& data) {
    std::vector<std::uint8_t> out;
    implode::implode({reinterpret_cast<const std::uint8_t*>(data.data()), data.size()}, {}, out);
    return std::string(out.begin(), out.end());
  }

  PackageHeader header;

 private:
  std::array<std::string, kPackageSlotCount> data_;
  std::array<bool, kPackageSlotCount> keepOffsets_{};
};

// Makes the fake loader offer our native codec as "<folder>impborl.dll" whenever the test puts a
// file there.
void registerNativeCodec(fake::FakeLibraryLoader& loader, const std::string& path);

// A file the run made and holds, with these bytes, as the working copy or the data file are.
inline std::unique_ptr<ScratchFile> scratchWith(FileSystem& files, const std::string& path, const std::string& bytes) {
  Status error = 0;
  auto file = files.createScratchFile(path, error);
  if (file) {
    file->write(bytes.data(), bytes.size());
    file->close();
  }
  return file;
}

}  // namespace saverkit::testing

namespace saverkit::testing {

// A screen saver data file in memory: the saver record, the directory and the items.
class DataFileImage {
 public:
  struct Item {
    std::uint8_t kind = kItemKindData;
    std::string path;
    std::string data;
    bool imploded = false;
  };

  DataFileImage() { record.bytes[0] = 0x5A; }  // engine-owned bytes pass through untouched

  void add(const std::string& path, const std::string& data, bool imploded = false,
           std::uint8_t kind = kItemKindData) {
    items.push_back({kind, path, data, imploded});
  }

  std::string bytes() {
    record.setItemCount(static_cast<std::int32_t>(items.size()));
    std::string out(reinterpret_cast<const char*>(record.bytes.data()), record.bytes.size());
    std::string body;
    std::int64_t offset = directoryEnd(static_cast<std::int64_t>(items.size()));
    for (const Item& item : items) {
      DirectoryRecord directory{item.kind, item.path, static_cast<std::int32_t>(offset)};
      const auto encoded = encodeDirectoryRecord(directory);
      out.append(reinterpret_cast<const char*>(encoded.data()), encoded.size());
      const std::string stored =
          item.imploded ? InstallerImage::implodeBytes(item.data) : item.data;
      ItemHeader header{static_cast<std::int32_t>(item.data.size()),
                        static_cast<std::int32_t>(stored.size()), item.imploded};
      const auto headerBytes = encodeItemHeader(header);
      body.append(reinterpret_cast<const char*>(headerBytes.data()), headerBytes.size());
      body += stored;
      offset += static_cast<std::int64_t>(kItemHeaderSize + stored.size());
    }
    return out + body;
  }

  SaverRecord record;
  std::vector<Item> items;
};

}  // namespace saverkit::testing
