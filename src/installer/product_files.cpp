// Writing into the product folder; see the header.
#include "installer/product_files.h"

#include "common/text_helpers.h"
#include "package/stream_copy.h"
#include "system/file_helpers.h"

namespace saverkit {
namespace {

bool isBelow(const std::string& folder, const std::string& target) {
  return !folder.empty() && target.size() > folder.size() &&
         toLowerAscii(target.substr(0, folder.size())) == toLowerAscii(folder);
}

// The target's path below the held product folder, or nothing for a target elsewhere.
std::optional<std::string> belowProductFolder(const InstallerContext& context, const std::string& target) {
  if (!context.productFolderHold || !isBelow(context.productFolder, target)) return std::nullopt;
  return target.substr(context.productFolder.size());
}

}  // namespace

bool belowUnmadeProductFolder(const InstallerContext& context, const std::string& target) {
  return context.sharedFolderHold && !context.productFolderHold && isBelow(context.productFolder, target);
}

std::unique_ptr<WritableFile> createTargetFile(InstallerContext& context, const std::string& target, Status& error) {
  FileSystem& files = context.platform.files;
  if (const auto relative = belowProductFolder(context, target)) {
    return files.createFileIn(*context.productFolderHold, *relative, error);
  }
  if (belowUnmadeProductFolder(context, target)) {
    error = win_error::kPathNotFound;
    return nullptr;
  }
  return files.createFile(target, error);
}

Status expandToTarget(InstallerContext& context, TCompressor& compressor, const std::string& target,
                      const std::uint8_t* buffer, std::size_t length, std::uint64_t declaredSize) {
  if (!belowProductFolder(context, target) && !belowUnmadeProductFolder(context, target)) {
    return compressor.expandToFile(target, buffer, length, declaredSize);
  }
  if (!compressor.loaded()) return status::kLibraryNotLoaded;
  Status error = 0;
  std::unique_ptr<WritableFile> file = createTargetFile(context, target, error);
  if (!file) return compressor.reportWriteFailure(error);
  return compressor.expandInto(*file, buffer, length, declaredSize);
}

Status copyToTarget(InstallerContext& context, const std::string& source, const std::string& target) {
  FileSystem& files = context.platform.files;
  if (!belowProductFolder(context, target) && !belowUnmadeProductFolder(context, target)) {
    return copyFilePrepared(files, source, target, false) ? status::kSuccess : files.lastError();
  }
  Status error = 0;
  std::unique_ptr<ReadableFile> input = files.openForReading(source, error);
  if (!input) return error;
  std::unique_ptr<WritableFile> output = createTargetFile(context, target, error);
  if (!output) return error;
  error = copyBytes(*input, *output, static_cast<std::int64_t>(input->size()), win_error::kHandleEof);
  const Status closed = output->close();
  return error != 0 ? error : closed;
}

}  // namespace saverkit
