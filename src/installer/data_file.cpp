// The screen saver data file; see the header.
#include "installer/data_file.h"

#include <array>
#include <vector>

#include "common/file_names.h"
#include "common/text_helpers.h"
#include "installer/slot_extraction.h"
#include "installer/window_operations.h"
#include "package/compressor.h"
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
  auto file = context.platform.files.createFile(target, error);
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
  if (const Status error = compressor.expandToFile(target, buffer.data(), buffer.size())) {
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
  if (copyFilePrepared(context.platform.files, source, target, false)) return status::kSuccess;
  // A movie copied onto itself has nothing to do.
  if (source == target) return status::kSuccess;
  showInstallError(context, status::kDataCopyFailed, source);
  return status::kDataCopyFailed;
}

}  // namespace

Status readSaverRecord(InstallerContext& context) {
  // Read back through the handle that wrote it: never reopened by its path.
  ScratchFile* file = context.dataFileCopy.get();
  Status error = file ? file->seek(0) : status::kFileMissing;
  if (error == 0) error = readExactly(*file, context.saverRecord.bytes.data(), kSaverRecordSize);
  if (error != 0) showInstallError(context, error, context.dataFilePath);
  return error;
}

Status writeSaverRecord(InstallerContext& context) {
  setStatusText(context, context.platform.texts.text(TextId::kWritingSaverDataFile));
  const std::string path = context.productFolder + kSaverRecordFileName;
  Status error = 0;
  auto file = context.platform.files.createFile(path, error);
  if (file) {
    error = file->write(context.saverRecord.bytes.data(), kSaverRecordSize);
    const Status closed = file->close();
    if (error == 0) error = closed;
  }
  if (error != 0) showInstallError(context, error, path);
  return error;
}

Status openDataFile(InstallerContext& context, const std::string& path, bool showErrors,
                    bool& isOpen) {
  DataFileState& state = context.dataFile;
  if (state.open) {
    const TextSource& texts = context.platform.texts;
    showErrorBox(context, texts.text(TextId::kVantrelErrorPrefix) + texts.text(TextId::kDataFileInUse));
    isOpen = true;
    return status::kSuccess;
  }
  // The data file the install loop wrote, through the handle that wrote it; its path only names
  // it in messages.
  state.file = std::move(context.dataFileCopy);
  Status error = state.file ? state.file->seek(0) : status::kFileMissing;
  if (error == 0) error = readExactly(*state.file, context.saverRecord.bytes.data(), kSaverRecordSize);
  state.directory.assign(kMaxDataFileItems + 1, DirectoryRecord{});
  const std::int32_t count = context.saverRecord.itemCount();
  if (error == 0 && !directoryFits(count, static_cast<std::int64_t>(state.file->size()))) {
    error = status::kDataFileDamaged;
  }
  std::array<std::uint8_t, kDirectoryRecordSize> bytes{};
  for (std::int32_t item = 1; error == 0 && item <= count; ++item) {
    error = readExactly(*state.file, bytes.data(), bytes.size());
    if (error == 0) state.directory[static_cast<std::size_t>(item)] = *decodeDirectoryRecord(bytes.data(), bytes.size());
  }
  if (error != 0) {
    state.file.reset();
    isOpen = false;
    if (showErrors) showDataFileOpenProblem(context, path, error);
    return error;
  }
  state.open = true;
  isOpen = true;
  return status::kSuccess;
}

void showDataFileOpenProblem(InstallerContext& context, const std::string& path, Status code) {
  showErrorBox(context, context.platform.texts.text(TextId::kProblemOpeningDataFile) + path + "\r\n\r\n" +
                            decimal(code));
}

Status extractDataItem(InstallerContext& context, const std::string& folder, int item) {
  DataFileState& state = context.dataFile;
  if (item < 1 || item > context.saverRecord.itemCount()) return status::kItemBeyondCount;
  if (!state.open || !state.file) return status::kDataFileNotOpen;
  const DirectoryRecord& record = state.directory[static_cast<std::size_t>(item)];
  const std::string path = itemRelativePath(record);
  if (!isSafeRelativePath(path, context.codePage)) return status::kUnsafeItemPath;
  ReadableFile& data = *state.file;
  const std::int64_t fileSize = static_cast<std::int64_t>(data.size());
  if (!itemHeaderFits(record.itemOffset, fileSize)) return status::kDataFileDamaged;
  std::array<std::uint8_t, kItemHeaderSize> bytes{};
  Status result = data.seek(static_cast<std::uint64_t>(record.itemOffset));
  if (result == 0) result = readExactly(data, bytes.data(), bytes.size());
  if (result != 0) {
    showReadError(context, result);
    return result;
  }
  const ItemHeader header = *decodeItemHeader(bytes.data(), bytes.size());
  if (const Status fits = itemDataStatus(record.itemOffset, header, fileSize)) return fits;
  if (header.expandedSize == 0) return status::kSuccess;
  const std::string target = folder + path;
  forceFolders(context.platform.files, folderOf(target));
  bool created = false;
  bool reported = false;
  result = header.imploded ? writeImplodedItem(context, data, header, target, created, reported)
                           : writeStoredItem(context, data, target, header.expandedSize, created);
  if (result > 0 && !reported) showReadError(context, result);
  if (result != status::kSuccess && created) deleteFileOnce(context.platform.files, target);
  return result;
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
  bool isOpen = false;
  Status result = openDataFile(context, context.dataFilePath, true, isOpen);
  if (result != status::kSuccess) return result;
  auto& directory = context.dataFile.directory;
  const std::int32_t count = context.saverRecord.itemCount();
  if (context.saverRecord.saverKind() == kSaverKindInstallerMovie && count >= 1) {
    directory[1].itemKind = kItemKindMovieCopy;
  }
  const std::string firstItemPath = count >= 1 ? itemRelativePath(directory[1]) : std::string();
  for (int item = 1; item <= count && result == status::kSuccess; ++item) {
    const DirectoryRecord& record = directory[static_cast<std::size_t>(item)];
    if (record.path.empty()) continue;
    result = record.isMovieCopy() ? copyMovieItem(context, item, firstItemPath, itemRelativePath(record))
                                  : extractDataItem(context, context.productFolder, item);
  }
  if (result == status::kSuccess) {
    result = closeDataFile(context);
    stepProgress(context);
  } else {
    // Closed after a failure too: the install deletes the data file next, which an open file
    // would prevent on Windows.
    closeDataFile(context);
  }
  if (!firstItemPath.empty() && isSafeRelativePath(firstItemPath, context.codePage)) {
    const std::string firstItem = context.productFolder + firstItemPath;
    if (context.platform.files.fileExists(firstItem)) context.platform.files.addArchiveAttribute(firstItem);
  }
  return result;
}

}  // namespace saverkit
