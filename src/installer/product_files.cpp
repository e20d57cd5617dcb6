// Writing into the product folder; see the header.
#include "installer/product_files.h"

#include "common/text_helpers.h"
#include "package/stream_copy.h"
#include "system/file_helpers.h"

namespace saverkit {
namespace {

// The target's path below the held product folder, or nothing for a target elsewhere.
std::optional<std::string> belowProductFolder(const InstallerContext& context, const std::string& target) {
  const std::string& folder = context.productFolder;
  if (!context.productFolderHold || folder.empty() || target.size() <= folder.size() ||
      toLowerAscii(target.substr(0, folder.size())) != toLowerAscii(folder)) {
    return std::nullopt;
  }
  return target.substr(folder.size());
}

}  // namespace

std::unique_ptr<WritableFile> createTargetFile(InstallerContext& context, const std::string& target, Status& error) {
  FileSystem& files = context.platform.files;
  if (const auto relative = belowProductFolder(context, target)) {
    return files.createFileIn(*context.productFolderHold, *relative, error);
  }
  return files.createFile(target, error);
}

Status expandToTarget(InstallerContext& context, TCompressor& compressor, const std::string& target,
                      const std::uint8_t* buffer, std::size_t length) {
  if (!belowProductFolder(context, target)) return compressor.expandToFile(target, buffer, length);
  if (!compressor.loaded()) return status::kLibraryNotLoaded;
  Status error = 0;
  std::unique_ptr<WritableFile> file = createTargetFile(context, target, error);
  if (!file) return compressor.reportWriteFailure(error);
  return compressor.expandInto(*file, buffer, length);
}

Status copyToTarget(InstallerContext& context, const std::string& source, const std::string& target) {
  FileSystem& files = context.platform.files;
  if (!belowProductFolder(context, target)) {
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
