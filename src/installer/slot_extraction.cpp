// Slot extraction; see the header.
#include "installer/slot_extraction.h"

#include <vector>

#include "common/file_names.h"
#include "common/text_helpers.h"
#include "common/trace.h"
#include "installer/presentation.h"
#include "installer/product_files.h"
#include "installer/window_operations.h"
#include "package/compressor.h"
#include "package/data_file_walker.h"
#include "package/stream_copy.h"
#include "system/file_helpers.h"
#include "system/os_detection.h"

namespace saverkit {
namespace {

bool isLibraryTarget(const std::string& path) { return endsWith(path, ".dll"); }

// The data file is read again by the install. Stored, it is read where it lies in the working
// copy, which the run holds: writing it out first would copy the largest part of most packages
// once more. Imploded, it is expanded through a file the run keeps and read back through that
// handle. Every other slot is written and let go.
bool keptAfterWriting(int slot) { return slot == static_cast<int>(kSlotDataFile); }

Status writeStoredSlot(InstallerContext& context, ReadableFile& packageFile,
                       const std::string& target, std::int64_t length) {
  Status error = 0;
  std::unique_ptr<WritableFile> output = createTargetFile(context, target, error);
  if (!output) return error;
  trace::enter("file created: ", target);
  const Status copied = copyBytes(packageFile, *output, length, status::kShortCopy);
  const Status closed = output->close();
  trace::leave("sizeExtracted: ", length);
  return copied != status::kSuccess ? copied : closed;
}

// `reported` is set when the expansion has shown its own box for the failure.
Status writeImplodedSlot(InstallerContext& context, ReadableFile& packageFile, int slot,
                         const PackageEntry& entry, const std::string& target,
                         std::int64_t length, bool& reported) {
  if (!expansionIsPlausible(entry.expandedSize, length)) {
    return status::kSizeMismatch;
  }
  Platform& platform = context.platform;
  TCompressor& compressor = loadedCodec(context);
  if (!compressor.loaded()) return status::kLibraryNotLoaded;
  std::vector<std::uint8_t> buffer(static_cast<std::size_t>(length));
  std::size_t got = 0;
  if (const Status error = packageFile.read(buffer.data(), buffer.size(), got)) return error;
  if (got < buffer.size()) return status::kShortCopy;
  std::unique_ptr<ScratchFile> kept;
  if (keptAfterWriting(slot)) {
    Status error = 0;
    kept = platform.files.createScratchFile(target, error);
    if (!kept) {
      reported = true;
      return compressor.reportWriteFailure(error);
    }
  }
  const auto declared = static_cast<std::uint64_t>(entry.expandedSize);
  const Status error = kept ? compressor.expandInto(*kept, buffer.data(), buffer.size(), declared)
                            : expandToTarget(context, compressor, target, buffer.data(), buffer.size(), declared);
  if (error != status::kSuccess) {
    reported = error > 0;
    return error;
  }
  const auto size = kept ? std::optional<std::uint64_t>(kept->size()) : platform.files.fileSize(target);
  if (kept) context.dataFileSource = std::move(kept);
  if (!size) return status::kFileMissing;
  if (*size != static_cast<std::uint64_t>(entry.expandedSize)) return status::kSizeMismatch;
  return status::kSuccess;
}

// Makes room for the new file: a ".dll" gets one try (a library in use keeps its place), any
// other file 1000 in a row.
Status clearTheWay(FileSystem& files, const std::string& target) {
  if (isLibraryTarget(target)) return deleteFileOnce(files, target);
  return deleteFileRetrying(files, target, kReplaceAttempts);
}

bool alwaysShown(Status code) {
  return code > 0 || code == status::kSlotNameEmpty || code == status::kUnsafeSlotName ||
         code == status::kSlotOutsideFile || code == status::kSlotWithoutTarget;
}

// `entry` is the slot's entry as written, which may name the file differently from the header.
void reportFailureOfSlot(InstallerContext& context, int slot, const PackageEntry& entry,
                         const std::string& targetPath, Status result) {
  if (!alwaysShown(result) && !isLibraryTarget(targetPath)) return;
  // Without a target the box names the slot by what the package calls it.
  std::string detail = targetPath;
  if (result == status::kUnsafeSlotName || detail.empty()) detail = entry.name;
  if (detail.empty()) detail = context.platform.texts.text(TextId::kPackageSlot) + decimal(slot);
  showInstallError(context, result, detail);
}

}  // namespace

TCompressor& loadedCodec(InstallerContext& context) {
  if (!context.codec || !context.codec->loaded()) {
    Platform& platform = context.platform;
    context.codec = std::make_unique<TCompressor>(
        TCompressor::Services{platform.libraries, platform.files, platform.texts,
                              [&context](const std::string& text) { showErrorBox(context, text); }},
        context.folders.workingFolder);
  }
  return *context.codec;
}

void releaseCodec(InstallerContext& context) { context.codec.reset(); }

void reportSlotFailure(InstallerContext& context, const PackageEntry& entry, const std::string& targetPath,
                       Status result) {
  const int slot = static_cast<int>(&entry - context.header.entries.data());
  reportFailureOfSlot(context, slot, entry, targetPath, result);
}

Status resolveSlotTarget(const InstallerContext& context, const PackageEntry& entry,
                         SlotTarget& target) {
  if (!isSafeBareName(entry.name, context.codePage)) return status::kUnsafeSlotName;
  const Folders& folders = context.folders;
  std::string folder;
  switch (targetFolder(entry)) {
    case TargetFolder::kProduct: folder = context.productFolder; break;
    case TargetFolder::kSystem: folder = folders.systemFolder; break;
    case TargetFolder::kShared: folder = folders.sharedFolder; break;
    case TargetFolder::kWorking: folder = folders.workingFolder; break;
    case TargetFolder::kNone:
    case TargetFolder::kInvalid: return status::kSlotWithoutTarget;
  }
  if (folder.empty()) return status::kSlotWithoutTarget;
  const std::string name = targetFileName(entry);
  if (!isSafeBareName(name, context.codePage)) return status::kUnsafeSlotName;
  target.path = folder + name;
  target.nativeCopy.clear();
  if (targetFolder(entry) == TargetFolder::kSystem && context.state.osKind == os::kWow64 &&
      !folders.nativeSystemFolder.empty()) {
    target.nativeCopy = folders.nativeSystemFolder + name;
  }
  return status::kSuccess;
}

PackageEntry writtenEntry(const PackageHeader& header, int slot) {
  PackageEntry entry = header.entries[static_cast<std::size_t>(slot)];
  if (slot == static_cast<int>(kSlotPresentation) && !entry.isEmpty()) {
    entry.name = presentationFileName(entry.name, header.presentationMode);
  }
  return entry;
}

Status resolveSlotTarget(const InstallerContext& context, int slot, SlotTarget& target) {
  return resolveSlotTarget(context, writtenEntry(context.header, slot), target);
}

std::string slotPath(const InstallerContext& context, int slot) {
  SlotTarget target;
  return resolveSlotTarget(context, slot, target) == status::kSuccess ? target.path : std::string();
}

Status extractSlot(InstallerContext& context, ReadableFile& packageFile, int slot,
                   bool showProgress) {
  FileSystem& files = context.platform.files;
  if (showProgress) setStatusText(context, context.platform.texts.text(TextId::kWritingScreenSaverFiles));
  const PackageEntry entry = writtenEntry(context.header, slot);
  SlotTarget target;
  Status result = status::kSuccess;
  bool written = false;
  bool reported = false;
  if (entry.isEmpty()) {
    result = status::kSlotNameEmpty;
  } else if ((result = resolveSlotTarget(context, entry, target)) == status::kSuccess) {
    const std::int64_t length = storedLength(entry);
    // Every check first: a slot that cannot be written must not cost the old file its place.
    if ((result = storedBytesStatus(entry, static_cast<std::int64_t>(packageFile.size()))) == status::kSuccess &&
        (result = packageFile.seek(static_cast<std::uint64_t>(entry.startOffset))) == status::kSuccess) {
      if (showProgress) stepProgress(context);
      // The install reads the data file from the working folder only. One that a package sends
      // elsewhere is not found there (2) and the install rolls back, as it always did; writing
      // it out first would only leave a stray copy in that folder, which nobody removes.
      if (keptAfterWriting(slot) && !landsInWorkingFolder(entry)) return status::kSuccess;
      if (keptAfterWriting(slot) && !entry.imploded) {
        context.dataFileSource = std::make_unique<FileSlice>(packageFile, static_cast<std::uint64_t>(entry.startOffset),
                                                           static_cast<std::uint64_t>(length));
        return status::kSuccess;
      }
      result = clearTheWay(files, target.path);
      if (result == status::kSuccess) {
        written = true;
        result = entry.imploded ? writeImplodedSlot(context, packageFile, slot, entry, target.path, length, reported)
                                : writeStoredSlot(context, packageFile, target.path, length);
      }
    }
  }
  if (result == status::kFileBusy) return status::kSuccess;  // the old file keeps its place
  if (result != status::kSuccess) {
    if (keptAfterWriting(slot)) context.dataFileSource.reset();
    if (written) deleteFileOnce(files, target.path);
    // One box per failure: the expansion may have shown it already.
    if (!reported) reportFailureOfSlot(context, slot, entry, target.path, result);
    return result;
  }
  if (!target.nativeCopy.empty()) {
    trace::enter("copyFileToSystemNativeDir: ", target.nativeCopy);
    copyFilePrepared(files, target.path, target.nativeCopy, false);
  }
  return status::kSuccess;
}

bool isOptionalProductSlot(int slot) { return slot == 7 || slot == 9 || slot == 10; }

std::unique_ptr<ReadableFile> openPackageFile(InstallerContext& context, const std::string& path, Status& error) {
  auto file = context.platform.files.openForReading(path, error);
  if (!file) showInstallError(context, error, path);
  return file;
}

int firstProductSlot(const InstallerContext& context) {
  return context.state.hasReadMe ? static_cast<int>(kSlotReadMe) : static_cast<int>(kSlotEngine);
}

Status storedBytesStatus(const PackageEntry& entry, std::int64_t fileSize) {
  const std::int64_t length = storedLength(entry);
  if (length <= 0) return status::kNoMemory;
  if (entry.startOffset < 0) return status::kSlotOutsideFile;
  // Bytes the header promises and the file does not have: the file was cut short.
  return storedBytesWithin(entry, fileSize) ? status::kSuccess : status::kShortCopy;
}

Status extractProductSlots(InstallerContext& context) {
  if (!context.package) return status::kWorkingCopyFailed;
  ReadableFile& packageFile = *context.package;
  Status result = status::kSuccess;
  for (int slot = firstProductSlot(context); slot < static_cast<int>(kPackageSlotCount); ++slot) {
    if (result != status::kSuccess || context.state.cancelRequested) break;
    // Slots 7, 9 and 10 carry further files a saver may not have; an empty one is absent, not
    // an error. It still takes its progress step so the bar comes out the same.
    if (isOptionalProductSlot(slot) && context.header.entries[static_cast<std::size_t>(slot)].isEmpty()) {
      setStatusText(context, context.platform.texts.text(TextId::kWritingScreenSaverFiles));
      stepProgress(context);
      continue;
    }
    result = extractSlot(context, packageFile, slot, true);
  }
  return result;
}

Status copyDocumentsToProduct(InstallerContext& context) {
  FileSystem& files = context.platform.files;
  const auto copyDocument = [&](std::size_t slot) -> Status {
    SlotTarget source;
    if (const Status error = resolveSlotTarget(context, static_cast<int>(slot), source)) return error;
    if (!files.fileExists(source.path)) return status::kFileMissing;
    // The install opens the read-me by the package's name for it in the product folder.
    const std::string copy = context.productFolder + context.header.entries[slot].name;
    // A package may put a document in the product folder itself: copying a file onto itself
    // could only fail or lose it.
    if (toLowerAscii(copy) == toLowerAscii(source.path)) return status::kSuccess;
    return copyToTarget(context, source.path, copy);
  };
  Status result = status::kSuccess;
  if (context.state.hasLicense) result = copyDocument(kSlotLicense);
  if (context.state.hasReadMe) {
    const Status readMe = copyDocument(kSlotReadMe);
    if (readMe != status::kSuccess) return readMe;
  }
  return result;
}

}  // namespace saverkit
