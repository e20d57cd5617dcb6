// The screen saver data file; see the header.
#include "installer/data_file.h"

#include <optional>
#include <vector>

#include "common/file_names.h"
#include "common/text_helpers.h"
#include "installer/product_files.h"
#include "installer/slot_extraction.h"
#include "installer/window_operations.h"
#include "package/compressor.h"
#include "package/data_file_walker.h"
#include "package/stream_copy.h"
#include "system/file_helpers.h"

namespace saverkit {
namespace {

void showReadError(InstallerContext& context, Status code) {
  const TextSource& texts = context.platform.texts;
  showErrorBox(context, texts.text(TextId::kVantrelErrorPrefix) +
                            texts.text(TextId::kProblemReadingDataFile) + texts.systemErrorText(code));
}

Status writeStoredItem(InstallerContext& context, ReadableFile& data, const std::string& target,
                       std::int64_t length, bool& created) {
  Status error = 0;
  auto file = createTargetFile(context, target, error);
  if (!file) return error;
  created = true;
  if ((error = copyBytes(data, *file, length, win_error::kHandleEof)) != 0) return error;
  return file->close();
}

Status writeImplodedItem(InstallerContext& context, ReadableFile& data, const ItemHeader& header,
                         const std::string& target, bool& created, bool& reported) {
  if (!expansionIsPlausible(header.expandedSize, header.storedSize)) {
    return status::kSizeMismatch;
  }
  std::vector<std::uint8_t> buffer(static_cast<std::size_t>(header.storedSize));
  if (const Status error = readExactly(data, buffer.data(), buffer.size())) return error;
  Platform& platform = context.platform;
  TCompressor& compressor = loadedCodec(context);
  if (!compressor.loaded()) return status::kLibraryNotLoaded;
  created = true;
  if (const Status error = expandToTarget(context, compressor, target, buffer.data(), buffer.size(),
                                          static_cast<std::uint64_t>(header.expandedSize))) {
    reported = error > 0;  // the expansion showed its own box
    return error;
  }
  const auto size = platform.files.fileSize(target);
  if (!size) return status::kFileMissing;
  return *size == static_cast<std::uint64_t>(header.expandedSize) ? status::kSuccess
                                                                   : status::kSizeMismatch;
}

// Copies a movie item: item 1 from the installer's own movie, later ones from item 1's copy.
Status copyMovieItem(InstallerContext& context, int item, const std::string& firstItemPath,
                     const std::string& path) {
  if (!isSafeRelativePath(path, context.codePage) || !isSafeRelativePath(firstItemPath, context.codePage)) return status::kUnsafeItemPath;
  const std::string source = item == 1
                                 ? context.folders.workingFolder + std::string(kInstallerMovieName)
                                 : context.productFolder + firstItemPath;
  const std::string target = context.productFolder + path;
  // A movie copied onto itself has nothing to do (and its copy would delete it first).
  if (toLowerAscii(source) == toLowerAscii(target)) return status::kSuccess;
  if (copyToTarget(context, source, target) == status::kSuccess) return status::kSuccess;
  showInstallError(context, status::kDataCopyFailed, source);
  return status::kDataCopyFailed;
}

// Writes one item from the data file below the product folder.
Status writeDataItem(InstallerContext& context, DataFileWalker& walker, const DataFileItem& item,
                     const std::string& path) {
  if (!isSafeRelativePath(path, context.codePage)) return status::kUnsafeItemPath;
  std::optional<ItemHeader> header;
  Status result = readDataItemHeader(context, walker, item, header);
  if (result != status::kSuccess || header->expandedSize == 0) return result;
  const std::string target = context.productFolder + path;
  // Below a held product folder the file's folders are made with it, relative to the hold.
  if (!context.productFolderHold && !belowUnmadeProductFolder(context, target)) {
    forceFolders(context.platform.files, folderOf(target));
  }
  bool created = false;
  bool reported = false;
  result = header->imploded ? writeImplodedItem(context, walker.file(), *header, target, created, reported)
                            : writeStoredItem(context, walker.file(), target, header->expandedSize, created);
  if (result > 0 && !reported) showReadError(context, result);
  if (result != status::kSuccess && created) deleteFileOnce(context.platform.files, target);
  return result;
}

}  // namespace

Status readDataItemHeader(InstallerContext& context, DataFileWalker& walker, const DataFileItem& item,
                          std::optional<ItemHeader>& header) {
  Status result = walker.readItemHeader(item, header);
  if (result == status::kDataFileDamaged) result = win_error::kHandleEof;
  // The system's codes are positive; -7 for an item of no length is the caller's to report.
  if (result > 0) showReadError(context, result);
  return result;
}

Status readSaverRecord(InstallerContext& context) {
  // Read back through the handle that wrote it: never reopened by its path. Without one, the
  // package sent the data file elsewhere and the working folder has none.
  ReadableFile* file = context.dataFileSource.get();
  Status error = file ? file->seek(0) : win_error::kFileNotFound;
  if (error == 0) error = readExactly(*file, context.saverRecord.bytes.data(), kSaverRecordSize);
  if (error != 0) showInstallError(context, error, context.dataFilePath);
  return error;
}

Status writeSaverRecord(InstallerContext& context) {
  setStatusText(context, context.platform.texts.text(TextId::kWritingSaverDataFile));
  const std::string path = context.productFolder + kSaverRecordFileName;
  Status error = 0;
  auto file = createTargetFile(context, path, error);
  if (file) {
    error = file->write(context.saverRecord.bytes.data(), kSaverRecordSize);
    const Status closed = file->close();
    if (error == 0) error = closed;
  }
  if (error != 0) showInstallError(context, error, path);
  return error;
}

void showDataFileOpenProblem(InstallerContext& context, const std::string& path, Status code) {
  showErrorBox(context, context.platform.texts.text(TextId::kProblemOpeningDataFile) + path + "\r\n\r\n" +
                            decimal(code));
}

Status closeDataFile(InstallerContext& context) {
  DataFileState& state = context.dataFile;
  if (!state.open) return status::kSuccess;
  state.file.reset();
  state.open = false;
  return status::kSuccess;
}

Status expandDataFile(InstallerContext& context) {
  setStatusText(context, context.platform.texts.text(TextId::kExpandingFiles));
  // The data file the install loop wrote, through the handle that wrote it; its path only names
  // it in messages.
  DataFileState& state = context.dataFile;
  state.file = std::move(context.dataFileSource);
  state.open = state.file != nullptr;
  std::optional<DataFileWalker> walker;
  Status result = status::kFileMissing;
  if (state.file) {
    walker.emplace(*state.file, 0, static_cast<std::int64_t>(state.file->size()));
    result = walker->readDirectory();
    if (result == status::kSuccess) context.saverRecord = walker->record();
  }
  if (result != status::kSuccess) {
    closeDataFile(context);
    showDataFileOpenProblem(context, context.dataFilePath, result);
    return result;
  }
  const std::string firstItemPath = walker->itemCount() >= 1 ? itemRelativePath(walker->item(1).record) : std::string();
  result = walker->visitItems([&context, &walker, &firstItemPath](const DataFileItem& item) {
    if (item.record.path.empty()) return status::kSuccess;
    const std::string path = itemRelativePath(item.record);
    return item.copiesMovie ? copyMovieItem(context, item.number, firstItemPath, path)
                            : writeDataItem(context, *walker, item, path);
  });
  // Closed after a failure too: the install deletes the data file next, which an open file
  // would prevent on Windows.
  closeDataFile(context);
  if (result == status::kSuccess) stepProgress(context);
  if (!firstItemPath.empty() && isSafeRelativePath(firstItemPath, context.codePage)) {
    const std::string firstItem = context.productFolder + firstItemPath;
    if (context.platform.files.fileExists(firstItem)) context.platform.files.addArchiveAttribute(firstItem);
  }
  return result;
}

}  // namespace saverkit
