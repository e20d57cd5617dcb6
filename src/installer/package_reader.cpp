// The package reader; see the header.
#include "installer/package_reader.h"

#include <array>
#include <cstdint>
#include <vector>

#include "common/file_names.h"
#include "common/trace.h"
#include "installer/window_operations.h"
#include "installer/slot_extraction.h"
#include "package/stream_copy.h"
#include "system/file_helpers.h"
#include "system/product_folder.h"

namespace saverkit {

void setInstallerPaths(InstallerContext& context) {
  context.installerPath = context.platform.process.modulePath();
  context.workCopyPath = context.folders.workingFolder + kWorkCopyName;
}

namespace {

// The stub, then exactly the bytes the binding covers, hashed on the way: nothing after them
// (a certificate table, or whatever a changed file adds) reaches the working copy, so every
// later read sees only bytes that were compared.
Status copyBoundPackage(ReadableFile& installer, WritableFile& copy, const PackageBinding& binding,
                        BackgroundWork& background) {
  if (binding.packageLength > static_cast<std::uint64_t>(INT64_MAX - kInstallerSizeInBytes)) {
    return status::kPackageChanged;
  }
  Status result = copyBytes(installer, copy, kInstallerSizeInBytes, status::kShortCopy);
  Sha256 digest;
  if (result == status::kSuccess) {
    result = copyBytesHashing(installer, copy, static_cast<std::int64_t>(binding.packageLength), status::kShortCopy,
                              digest, background);
  }
  if (result == status::kSuccess && digest.finish() != binding.digest) result = status::kPackageChanged;
  return result;
}

}  // namespace

Status copyInstallerToWorkFile(InstallerContext& context) {
  FileSystem& files = context.platform.files;
  // One package session: the installer's own file, open so that nobody can write it, is copied
  // into a working copy that the run then holds, so that every later read (the header, every
  // slot, the check before the install, the install itself) sees the bytes that were checked.
  context.package.reset();
  Status result = deleteFileRetrying(files, context.workCopyPath, kWorkCopyDeleteAttempts);
  if (result == status::kSuccess && !context.installerFile) {
    context.installerFile = files.openForReading(context.installerPath, context.installerFileError);
  }
  ReadableFile* installer = context.installerFile.get();
  if (result == status::kSuccess && !installer) result = context.installerFileError;
  if (result == status::kSuccess && installer) context.package = files.createScratchFile(context.workCopyPath, result);
  if (installer && context.package) {
    installer->seek(0);
    result = context.consentedBinding
                 ? copyBoundPackage(*installer, *context.package, *context.consentedBinding,
                                    context.platform.background)
                 : copyBytes(*installer, *context.package, static_cast<std::int64_t>(installer->size()),
                             status::kShortCopy);
    context.package->close();
  }
  if (result != status::kSuccess) context.package.reset();
  // A cut-short installer says so in the startup's closing message, as a short header does.
  if (result == status::kPackageChanged) {
    showInstallError(context, result, context.installerPath);
  } else if (result != status::kSuccess && result != status::kShortCopy) {
    showInstallError(context, status::kWorkingCopyFailed, context.workCopyPath);
  }
  return result;
}

namespace {

// The extension record's block, through the same held copy as everything else: a block that
// cannot be read whole, or is not one this installer knows, leaves the package as it would be
// without the record.
void readExtension(InstallerContext& context, ReadableFile& file) {
  context.extension.reset();
  if (!context.header.extensionBlock) return;
  const auto [start, end] = *context.header.extensionBlock;
  const std::int64_t length = std::int64_t{end} - start + 1;
  if (start < 0 || length <= 0 || length > static_cast<std::int64_t>(kMaxExtensionBlockSize)) return;
  std::vector<std::uint8_t> block(static_cast<std::size_t>(length));
  std::size_t got = 0;
  if (file.seek(static_cast<std::uint64_t>(start)) != 0 || file.read(block.data(), block.size(), got) != 0 ||
      got != block.size()) {
    return;
  }
  context.extension = parseExtensionBlock(block.data(), block.size());
  if (context.extension && context.extension->needsNoFlashPlayer) context.header.needsNoFlashPlayer = true;
}

}  // namespace

Status readPackageHeader(InstallerContext& context) {
  if (!context.package) return status::kWorkingCopyFailed;
  ReadableFile& file = *context.package;
  trace::leave("bytes to read: ", static_cast<std::int64_t>(kPackageHeaderSize));
  trace::leave("INSTALLER_SIZE_IN_BYTES2: ", kInstallerSizeInBytes);
  std::array<std::uint8_t, kPackageHeaderSize> bytes{};
  std::size_t got = 0;
  // A file shorter than the stub cannot hold a header: seeking past its end reads nothing.
  Status error = file.seek(static_cast<std::uint64_t>(kInstallerSizeInBytes));
  if (error == 0) error = file.read(bytes.data(), bytes.size(), got);
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
  readExtension(context, file);
  // Names are used as Windows stores them, so that every path built from one names the file
  // that is really there.
  for (PackageEntry& entry : context.header.entries) entry.name = storedFileName(entry.name);
  const Status extracted = extractSlot(context, file, static_cast<int>(kSlotImplodeLibrary), false);
  if (extracted == status::kSuccess) {
    // Held from now to the end of the run, loaded or not: nobody may put another library there.
    Status ignored = 0;
    context.heldLibrary = context.platform.files.openForReading(
        context.folders.workingFolder + std::string(kImplodeLibraryTarget), ignored);
  }
  return extracted;
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
  if (!context.package) return status::kWorkingCopyFailed;
  return extractSlot(context, *context.package, slot, false);
}

Status extractFlashInstaller(InstallerContext& context) {
  return extractStartupSlot(context, static_cast<int>(kSlotFlashInstaller));
}

Status extractLicense(InstallerContext& context) {
  return extractStartupSlot(context, static_cast<int>(kSlotLicense));
}

Status extractReadMe(InstallerContext& context) {
  return extractStartupSlot(context, static_cast<int>(kSlotReadMe));
}

}  // namespace saverkit
