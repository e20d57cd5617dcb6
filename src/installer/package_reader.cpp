// The package reader; see the header.
#include "installer/package_reader.h"

#include <array>

#include "common/file_names.h"
#include "common/trace.h"
#include "installer/window_operations.h"
#include "installer/slot_extraction.h"
#include "system/file_helpers.h"
#include "system/product_folder.h"

namespace saverkit {

void setInstallerPaths(InstallerContext& context) {
  context.installerPath = context.platform.process.modulePath();
  context.workCopyPath = context.folders.workingFolder + kWorkCopyName;
}

Status copyInstallerToWorkFile(InstallerContext& context) {
  FileSystem& files = context.platform.files;
  Status result = deleteFileRetrying(files, context.workCopyPath, kWorkCopyDeleteAttempts);
  if (result == status::kSuccess &&
      // The old copy has just gone: copying onto nothing spares the truncation of a replace.
      !copyFilePrepared(files, context.installerPath, context.workCopyPath, true)) {
    result = files.lastError();
    if (result == 0) result = status::kNothingDone;
  }
  if (result != status::kSuccess) {
    showInstallError(context, status::kWorkingCopyFailed, context.workCopyPath);
  }
  return result;
}

Status readPackageHeader(InstallerContext& context) {
  Status error = 0;
  auto file = openPackageFile(context, context.workCopyPath, error);
  if (!file) return error;
  trace::leave("bytes to read: ", static_cast<std::int64_t>(kPackageHeaderSize));
  trace::leave("INSTALLER_SIZE_IN_BYTES2: ", kInstallerSizeInBytes);
  std::array<std::uint8_t, kPackageHeaderSize> bytes{};
  std::size_t got = 0;
  // A file shorter than the stub cannot hold a header: seeking past its end reads nothing.
  error = file->seek(static_cast<std::uint64_t>(kInstallerSizeInBytes));
  if (error == 0) error = file->read(bytes.data(), bytes.size(), got);
  if (error != 0) {
    showInstallError(context, error, context.workCopyPath);
    return error;
  }
  trace::leave("bytes read: ", static_cast<std::int64_t>(got));
  const auto header = decodePackageHeader(bytes.data(), got);
  if (!header) {
    showInstallError(context, status::kHeaderTooShort, context.workCopyPath);
    return status::kHeaderTooShort;
  }
  context.header = *header;
  // Names are used as Windows stores them, so that every path built from one names the file
  // that is really there.
  for (PackageEntry& entry : context.header.entries) entry.name = storedFileName(entry.name);
  return extractSlot(context, *file, static_cast<int>(kSlotImplodeLibrary), false);
}

Status setProductPaths(InstallerContext& context) {
  context.saverName = context.header.saverName;
  // The install deletes this path when it ends, with administrator rights: it must name a file
  // in the working folder and nothing else.
  const std::string& dataFileName = context.header.entries[kSlotDataFile].name;
  context.dataFilePath.clear();
  if (!dataFileName.empty()) {
    if (!isSafeBareName(dataFileName, context.codePage)) return status::kUnsafeSlotName;
    context.dataFilePath = context.folders.workingFolder + dataFileName;
  }
  return deriveProductFolder(context.folders.sharedFolder, context.saverName,
                             context.productFolder, context.codePage);
}

Status extractStartupSlot(InstallerContext& context, int slot) {
  if (context.header.entries[static_cast<std::size_t>(slot)].isEmpty()) return status::kSlotNameEmpty;
  Status error = 0;
  auto file = context.platform.files.openForReading(context.workCopyPath, error);
  if (!file) {
    showInstallError(context, error, context.folders.workingFolder);
    return error;
  }
  return extractSlot(context, *file, slot, false);
}

Status extractLicense(InstallerContext& context) {
  return extractStartupSlot(context, static_cast<int>(kSlotLicense));
}

Status extractReadMe(InstallerContext& context) {
  return extractStartupSlot(context, static_cast<int>(kSlotReadMe));
}

}  // namespace saverkit
