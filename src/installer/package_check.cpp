// The package check; see the header.
#include "installer/package_check.h"

#include <array>
#include <vector>

#include "common/file_names.h"
#include "common/text_helpers.h"
#include "installer/data_file.h"
#include "installer/window_operations.h"
#include "package/data_file_format.h"
#include "installer/slot_extraction.h"
#include "package/stream_copy.h"

namespace saverkit {
namespace {

Status checkSlot(InstallerContext& context, const PackageEntry& entry, std::int64_t fileSize) {
  SlotTarget target;
  Status result = resolveSlotTarget(context, entry, target);
  if (result == status::kSuccess) result = storedBytesStatus(entry, fileSize);
  if (result != status::kSuccess) reportSlotFailure(context, entry, target.path, result);
  return result;
}

// The data file's directory and item headers, read from its slot in the working copy. An
// imploded data file can only be checked once it is expanded, which the install does anyway.
Status checkDataFile(InstallerContext& context, ReadableFile& package, const PackageEntry& entry) {
  if (entry.isEmpty() || entry.imploded) return status::kSuccess;
  const std::int64_t start = entry.startOffset;
  const std::int64_t length = storedLength(entry);
  SaverRecord record;
  if (length < static_cast<std::int64_t>(kSaverRecordSize)) return status::kSuccess;  // read later: -38
  Status result = package.seek(static_cast<std::uint64_t>(start));
  if (result == 0) result = readExactly(package, record.bytes.data(), kSaverRecordSize);
  if (result != 0) return result;
  const std::int32_t count = record.itemCount();
  if (!directoryFits(count, length)) {
    showDataFileOpenProblem(context, context.dataFilePath, status::kDataFileDamaged);
    return status::kDataFileDamaged;
  }
  std::vector<std::uint8_t> directory(static_cast<std::size_t>(count) * kDirectoryRecordSize);
  if ((result = readExactly(package, directory.data(), directory.size())) != 0) return result;
  const bool firstIsMovie = record.saverKind() == kSaverKindInstallerMovie;
  for (std::int32_t item = 1; item <= count; ++item) {
    const DirectoryRecord entryRecord =
        *decodeDirectoryRecord(&directory[static_cast<std::size_t>(item - 1) * kDirectoryRecordSize], kDirectoryRecordSize);
    if (entryRecord.path.empty()) continue;
    if (!isSafeRelativePath(itemRelativePath(entryRecord), context.codePage)) return status::kUnsafeItemPath;
    if (entryRecord.isMovieCopy() || (item == 1 && firstIsMovie)) continue;
    const std::int64_t offset = entryRecord.itemOffset;
    if (!itemHeaderFits(offset, length)) return status::kDataFileDamaged;
    std::array<std::uint8_t, kItemHeaderSize> bytes{};
    result = package.seek(static_cast<std::uint64_t>(start + offset));
    if (result == 0) result = readExactly(package, bytes.data(), bytes.size());
    if (result != 0) return result;
    if (const Status fits = itemDataStatus(offset, *decodeItemHeader(bytes.data(), bytes.size()), length)) {
      return fits;
    }
  }
  return status::kSuccess;
}

}  // namespace

Status checkPackageBeforeInstall(InstallerContext& context) {
  if (!context.package) return status::kWorkingCopyFailed;
  ReadableFile* package = context.package.get();
  const std::int64_t fileSize = static_cast<std::int64_t>(package->size());
  for (int slot = firstProductSlot(context); slot < static_cast<int>(kPackageSlotCount); ++slot) {
    const PackageEntry& entry = context.header.entries[static_cast<std::size_t>(slot)];
    if (entry.isEmpty()) {
      if (isOptionalProductSlot(slot)) continue;
      reportSlotFailure(context, entry, "", status::kSlotNameEmpty);
      return status::kSlotNameEmpty;
    }
    if (const Status result = checkSlot(context, entry, fileSize)) return result;
  }
  return checkDataFile(context, *package, context.header.entries[kSlotDataFile]);
}

}  // namespace saverkit
