// The package check; see the header.
#include "installer/package_check.h"

#include <optional>

#include "common/file_names.h"
#include "installer/data_file.h"
#include "installer/slot_extraction.h"
#include "package/data_file_walker.h"

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
  const std::int64_t length = storedLength(entry);
  if (length < static_cast<std::int64_t>(kSaverRecordSize)) return status::kSuccess;  // read later: -38
  DataFileWalker walker(package, entry.startOffset, length);
  const Status result = walker.readDirectory();
  if (result == status::kDataFileDamaged) showDataFileOpenProblem(context, context.dataFilePath, result);
  if (result != status::kSuccess) return result;
  return walker.visitItems([&context, &walker](const DataFileItem& item) {
    if (item.record.path.empty()) return status::kSuccess;
    if (!isSafeRelativePath(itemRelativePath(item.record), context.codePage)) return status::kUnsafeItemPath;
    if (item.copiesMovie) return status::kSuccess;
    std::optional<ItemHeader> header;
    return readDataItemHeader(context, walker, item, header);
  });
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
