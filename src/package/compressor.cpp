// The implode library binding; see the header.
#include "package/compressor.h"

#include <algorithm>
#include <cstring>

#include "common/trace.h"

namespace saverkit {
namespace {

constexpr std::size_t kOutputBlockSize = 256 * 1024;

}  // namespace

TCompressor::TCompressor(const Services& services, const std::string& libraryFolder)
    : services_(services) {
  trace::enter("TCompressor.Create", libraryFolder);
  std::string path = kImplodeLibraryFile;
  if (!libraryFolder.empty()) {
    path = libraryFolder + kImplodeLibraryFile;
    if (!services_.files.fileExists(path)) loadFailure_ = kLibraryFileMissing;
  }
  if (loadFailure_ == 0) {
    trace::enter("libraryPath: ", path);
    Status error = 0;
    library_ = services_.libraries.load(path, error);
    if (!library_) loadFailure_ = error != 0 ? error : kLibraryFileMissing;
  }
  if (loadFailure_ == 0) {
    implode_ = reinterpret_cast<ImplodeFunction>(library_->symbol("_implode"));
    explode_ = reinterpret_cast<ExplodeFunction>(library_->symbol("_explode"));
    crc32_ = reinterpret_cast<Crc32Function>(library_->symbol("_crc32"));
    if (!implode_ || !explode_ || !crc32_) loadFailure_ = kExportMissing;
  }
  if (loadFailure_ != 0) {
    trace::leave("TCompressor.Create failed: ", loadFailure_);
    library_.reset();
    return;
  }
  loaded_ = true;
}

TCompressor::~TCompressor() = default;

Status TCompressor::showZipError(Status code) {
  services_.showError(services_.texts.text(TextId::kZipErrorExpanding) + "\r\n\r\n" +
                      services_.texts.systemErrorText(code));
  return code;
}

Status TCompressor::expandToFile(const std::string& path, const std::uint8_t* buffer,
                                 std::size_t length, std::uint64_t declaredSize) {
  if (!loaded_) return status::kLibraryNotLoaded;
  compressing_ = false;
  writtenCrc_ = 0xFFFFFFFFu;
  Status error = 0;
  std::unique_ptr<WritableFile> file = services_.files.createFile(path, error);
  if (!file) return showZipError(error);
  return expandInto(*file, buffer, length, declaredSize);
}

Status TCompressor::reportWriteFailure(Status code) { return showZipError(code); }

Status TCompressor::expandInto(WritableFile& file, const std::uint8_t* buffer, std::size_t length,
                               std::uint64_t declaredSize) {
  if (!loaded_) return status::kLibraryNotLoaded;
  compressing_ = false;
  writtenCrc_ = 0xFFFFFFFFu;
  input_ = buffer;
  inputLength_ = length;
  inputPosition_ = 0;
  output_ = &file;
  writeError_ = 0;
  outputLimit_ = declaredSize;
  outputWritten_ = 0;
  outputOverrun_ = false;
  pending_.clear();
  explode_(readCallback, writeCallback, workArea_.data(), this);
  flushPending();
  output_ = nullptr;
  input_ = nullptr;
  const Status closeError = file.close();
  writtenCrc_ = ~writtenCrc_;
  // A failed write is reported rather than left for the size check to guess at.
  if (writeError_ != 0) return showZipError(writeError_);
  if (closeError != 0) return showZipError(closeError);
  return outputOverrun_ ? status::kSizeMismatch : status::kSuccess;
}

unsigned int TCompressor::readCallback(char* buffer, unsigned int* size, void* param) {
  auto* self = static_cast<TCompressor*>(param);
  // An expansion past its declared size gets no more input, which ends it.
  if (!self || !self->input_ || !buffer || !size || self->outputOverrun_) return 0;
  const std::size_t count = std::min<std::size_t>(*size, self->inputLength_ - self->inputPosition_);
  std::memcpy(buffer, self->input_ + self->inputPosition_, count);
  self->inputPosition_ += count;
  if (self->compressing_ && count > 0) {
    unsigned int countArgument = static_cast<unsigned int>(count);
    unsigned long crc = self->readCrc_;
    self->readCrc_ = static_cast<std::uint32_t>(self->crc32_(buffer, &countArgument, &crc));
  }
  return static_cast<unsigned int>(count);
}

void TCompressor::flushPending() {
  if (output_ && writeError_ == 0 && !pending_.empty()) writeError_ = output_->write(pending_.data(), pending_.size());
  pending_.clear();
}

void TCompressor::writeCallback(char* buffer, unsigned int* size, void* param) {
  auto* self = static_cast<TCompressor*>(param);
  if (!self || !self->output_ || !buffer || !size || *size == 0 || self->writeError_ != 0) return;
  if (self->outputOverrun_) return;
  // Held to the declared size while writing: a stream that expands further (a few bytes can
  // stand for megabytes) must not fill the disk before a size check afterwards could notice.
  unsigned int count = *size;
  if (self->outputLimit_ - self->outputWritten_ < count) {
    count = static_cast<unsigned int>(self->outputLimit_ - self->outputWritten_);
    self->outputOverrun_ = true;
  }
  self->outputWritten_ += count;
  if (count == 0) return;
  if (self->pending_.size() + count > kOutputBlockSize) self->flushPending();
  self->pending_.insert(self->pending_.end(), buffer, buffer + count);
  if (!self->compressing_ && self->writeError_ == 0) {
    unsigned long crc = self->writtenCrc_;
    self->writtenCrc_ = static_cast<std::uint32_t>(self->crc32_(buffer, &count, &crc));
  }
}

}  // namespace saverkit
