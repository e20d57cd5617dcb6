// The POSIX file system for benchmarks; see the header.
#include "posix_file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace saverkit::bench {
namespace {

std::string unixPath(std::string path) {
  std::replace(path.begin(), path.end(), '\\', '/');
  return path;
}

class PosixReadable : public ReadableFile {
 public:
  explicit PosixReadable(int descriptor) : descriptor_(descriptor) {}
  ~PosixReadable() override { ::close(descriptor_); }
  Status seek(std::uint64_t offset) override {
    return ::lseek(descriptor_, static_cast<off_t>(offset), SEEK_SET) < 0 ? errno : 0;
  }
  Status read(void* buffer, std::size_t size, std::size_t& bytesRead) override {
    bytesRead = 0;
    while (bytesRead < size) {
      const ssize_t got = ::read(descriptor_, static_cast<char*>(buffer) + bytesRead, size - bytesRead);
      if (got < 0) return errno;
      if (got == 0) break;
      bytesRead += static_cast<std::size_t>(got);
    }
    return 0;
  }
  std::uint64_t size() const override {
    struct stat info {};
    return ::fstat(descriptor_, &info) == 0 ? static_cast<std::uint64_t>(info.st_size) : 0;
  }

 private:
  int descriptor_;
};

class PosixWritable : public WritableFile {
 public:
  explicit PosixWritable(int descriptor) : descriptor_(descriptor) {}
  ~PosixWritable() override { close(); }
  Status write(const void* data, std::size_t size) override {
    const char* bytes = static_cast<const char*>(data);
    while (size > 0) {
      const ssize_t put = ::write(descriptor_, bytes, size);
      if (put < 0) return errno;
      bytes += put;
      size -= static_cast<std::size_t>(put);
    }
    return 0;
  }
  Status close() override {
    if (descriptor_ < 0) return 0;
    const int result = ::close(descriptor_);
    descriptor_ = -1;
    return result == 0 ? 0 : errno;
  }

 private:
  int descriptor_;
};

}  // namespace

bool PosixFileSystem::fail() {
  lastError_ = errno;
  return false;
}

bool PosixFileSystem::fileExists(const std::string& path) {
  struct stat info {};
  return ::stat(unixPath(path).c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool PosixFileSystem::folderExists(const std::string& path) {
  struct stat info {};
  return ::stat(unixPath(path).c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool PosixFileSystem::isLink(const std::string& path) {
  std::string bare = unixPath(path);
  while (bare.size() > 1 && bare.back() == '/') bare.pop_back();
  struct stat info {};
  return ::lstat(bare.c_str(), &info) == 0 && S_ISLNK(info.st_mode);
}

bool PosixFileSystem::deleteFile(const std::string& path) {
  return ::unlink(unixPath(path).c_str()) == 0 || fail();
}

bool PosixFileSystem::createFolder(const std::string& path) {
  return ::mkdir(unixPath(path).c_str(), 0755) == 0 || fail();
}

bool PosixFileSystem::removeFolder(const std::string& path) {
  return ::rmdir(unixPath(path).c_str()) == 0 || fail();
}

bool PosixFileSystem::copyFile(const std::string& source, const std::string& target,
                               bool failIfExists) {
  const int from = ::open(unixPath(source).c_str(), O_RDONLY);
  if (from < 0) return fail();
  const int to = ::open(unixPath(target).c_str(),
                        O_WRONLY | O_CREAT | O_TRUNC | (failIfExists ? O_EXCL : 0), 0644);
  if (to < 0) {
    ::close(from);
    return fail();
  }
  // The kernel copies without the bytes passing through this process, as a system copy does.
  bool ok = true;
  while (true) {
    const ssize_t copied = ::copy_file_range(from, nullptr, to, nullptr, 1 << 30, 0);
    if (copied < 0) ok = fail();
    if (copied <= 0) break;
  }
  ::close(from);
  ::close(to);
  return ok;
}

std::vector<FolderEntry> PosixFileSystem::listFolder(const std::string& folder) {
  std::vector<FolderEntry> entries;
  DIR* directory = ::opendir(unixPath(folder).c_str());
  if (!directory) return entries;
  while (dirent* entry = ::readdir(directory)) {
    const std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    entries.push_back({name, entry->d_type == DT_DIR, entry->d_type == DT_LNK});
  }
  ::closedir(directory);
  return entries;
}

std::optional<std::uint64_t> PosixFileSystem::fileSize(const std::string& path) {
  struct stat info {};
  if (::stat(unixPath(path).c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
  return static_cast<std::uint64_t>(info.st_size);
}

std::unique_ptr<ReadableFile> PosixFileSystem::openForReading(const std::string& path, Status& error) {
  const int descriptor = ::open(unixPath(path).c_str(), O_RDONLY);
  error = descriptor < 0 ? errno : 0;
  return descriptor < 0 ? nullptr : std::make_unique<PosixReadable>(descriptor);
}

namespace {

// Read back through the same descriptor that wrote it; holds mean nothing to the benchmarks.
class PosixScratch : public ScratchFile {
 public:
  explicit PosixScratch(int descriptor) : descriptor_(descriptor), reader_(descriptor) {}
  Status seek(std::uint64_t offset) override { return reader_.seek(offset); }
  Status read(void* buffer, std::size_t size, std::size_t& bytesRead) override {
    return reader_.read(buffer, size, bytesRead);
  }
  std::uint64_t size() const override { return reader_.size(); }
  Status write(const void* data, std::size_t size) override {
    return ::write(descriptor_, data, size) == static_cast<ssize_t>(size) ? 0 : errno;
  }
  Status close() override { return 0; }

 private:
  int descriptor_;
  PosixReadable reader_;  // closes the descriptor
};

// A folder known by its path only.
class NoHold : public HeldFolder {
 public:
  explicit NoHold(std::string path = {}) : path(std::move(path)) {}
  std::string path;
};

std::string pathOf(HeldFolder& folder) { return static_cast<NoHold&>(folder).path; }

}  // namespace

bool PosixFileSystem::createProtectedFolder(const std::string& path, FolderRights) { return createFolder(path); }
std::unique_ptr<HeldFolder> PosixFileSystem::createHeldFolder(const std::string& path, FolderRights, Status& error) {
  error = createFolder(path) ? 0 : lastError_;
  return error == 0 ? std::make_unique<NoHold>(path) : nullptr;
}
std::unique_ptr<HeldFolder> PosixFileSystem::secureFolder(const std::string& path, FolderRights rights, Status& error) {
  if (!folderExists(path)) return createHeldFolder(path, rights, error);
  error = 0;
  return std::make_unique<NoHold>(path);
}
FolderSafety PosixFileSystem::folderSafety(const std::string& path) {
  return {folderExists(path) || fileExists(path), isLink(path), false};
}
std::unique_ptr<HeldFolder> PosixFileSystem::holdFolder(const std::string& path, Status& error) {
  error = 0;
  return std::make_unique<NoHold>(path);
}
std::unique_ptr<ScratchFile> PosixFileSystem::createScratchFile(const std::string& path, Status& error) {
  const int descriptor = ::open(unixPath(path).c_str(), O_RDWR | O_CREAT | O_TRUNC, 0644);
  error = descriptor < 0 ? errno : 0;
  return descriptor < 0 ? nullptr : std::make_unique<PosixScratch>(descriptor);
}

Status PosixFileSystem::removeFolderTree(const std::string& folder) {
  std::string bare = folder;
  while (!bare.empty() && bare.back() == '\\') bare.pop_back();
  if (bare.empty()) return status::kNothingDone;
  if (isLink(bare)) return ::unlink(unixPath(bare).c_str()) == 0 ? status::kSuccess : status::kNothingDone;
  if (!folderExists(bare)) return status::kSuccess;
  for (const FolderEntry& entry : listFolder(bare + "\\")) {
    const std::string path = bare + "\\" + entry.name;
    if (entry.isFolder && !entry.isLink) {
      removeFolderTree(path);
    } else if (!deleteFile(path)) {
      return status::kFileBusy;
    }
  }
  return removeFolder(bare) ? status::kSuccess : status::kNothingDone;
}

std::unique_ptr<WritableFile> PosixFileSystem::createFile(const std::string& path, Status& error) {
  const int descriptor = ::open(unixPath(path).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  error = descriptor < 0 ? errno : 0;
  return descriptor < 0 ? nullptr : std::make_unique<PosixWritable>(descriptor);
}

std::unique_ptr<HeldFolder> PosixFileSystem::holdFolderWithoutLinks(const std::string& path, Status& error) {
  return holdFolder(path, error);
}
std::unique_ptr<HeldFolder> PosixFileSystem::createHeldFolderIn(HeldFolder& parent, const std::string& name,
                                                                FolderRights rights, Status& error) {
  return createHeldFolder(pathOf(parent) + "\\" + name, rights, error);
}
Status PosixFileSystem::removeEntryIn(HeldFolder& parent, const std::string& name) {
  const std::string path = pathOf(parent) + "\\" + name;
  if (fileExists(path)) return deleteFile(path) ? status::kSuccess : status::kUnsafeFolder;
  return removeFolderTree(path) == status::kSuccess ? status::kSuccess : status::kUnsafeFolder;
}
std::unique_ptr<WritableFile> PosixFileSystem::createFileIn(HeldFolder& folder, const std::string& relativePath,
                                                            Status& error) {
  const std::string path = pathOf(folder) + "\\" + relativePath;
  for (std::size_t slash = path.find('\\', pathOf(folder).size() + 1); slash != std::string::npos;
       slash = path.find('\\', slash + 1)) {
    createFolder(path.substr(0, slash));
  }
  return createFile(path, error);
}
Status PosixFileSystem::deletePlainFileIn(HeldFolder& folder, const std::string& name) {
  const std::string path = pathOf(folder) + "\\" + name;
  return !fileExists(path) || deleteFile(path) ? status::kSuccess : status::kFileBusy;
}
Status PosixFileSystem::removeTreeThrough(HeldFolder& folder) { return removeFolderTree(pathOf(folder)); }

}  // namespace saverkit::bench
