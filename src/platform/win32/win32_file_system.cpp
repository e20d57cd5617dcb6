// The Win32 file system; see the header.
#include "platform/win32/win32_file_system.h"

#include "platform/win32/unique_handle.h"

namespace saverkit::win32 {
namespace {

Status systemError() { return static_cast<Status>(::GetLastError()); }

DWORD attributesOf(const std::string& path) { return ::GetFileAttributesA(path.c_str()); }

Status seekHandle(HANDLE file, std::uint64_t offset) {
  LARGE_INTEGER distance;
  distance.QuadPart = static_cast<LONGLONG>(offset);
  return ::SetFilePointerEx(file, distance, nullptr, FILE_BEGIN) ? 0 : systemError();
}

Status readHandle(HANDLE file, void* buffer, std::size_t size, std::size_t& bytesRead) {
  bytesRead = 0;
  auto* out = static_cast<char*>(buffer);
  while (size > 0) {
    const DWORD chunk = static_cast<DWORD>(size > (1u << 30) ? (1u << 30) : size);
    DWORD got = 0;
    if (!::ReadFile(file, out + bytesRead, chunk, &got, nullptr)) return systemError();
    if (got == 0) break;
    bytesRead += got;
    size -= got;
  }
  return 0;
}

Status writeHandle(HANDLE file, const void* data, std::size_t size) {
  const auto* in = static_cast<const char*>(data);
  while (size > 0) {
    const DWORD chunk = static_cast<DWORD>(size > (1u << 30) ? (1u << 30) : size);
    DWORD written = 0;
    if (!::WriteFile(file, in, chunk, &written, nullptr)) return systemError();
    if (written == 0) return ERROR_WRITE_FAULT;
    in += written;
    size -= written;
  }
  return 0;
}

std::uint64_t sizeOfHandle(HANDLE file) {
  LARGE_INTEGER fileSize;
  return ::GetFileSizeEx(file, &fileSize) ? static_cast<std::uint64_t>(fileSize.QuadPart) : 0;
}

class Win32ReadableFile : public ReadableFile {
 public:
  explicit Win32ReadableFile(UniqueFileHandle file) : file_(std::move(file)) {}
  Status seek(std::uint64_t offset) override { return seekHandle(file_.get(), offset); }
  Status read(void* buffer, std::size_t size, std::size_t& bytesRead) override {
    return readHandle(file_.get(), buffer, size, bytesRead);
  }
  std::uint64_t size() const override { return sizeOfHandle(file_.get()); }

 private:
  UniqueFileHandle file_;
};

class Win32WritableFile : public WritableFile {
 public:
  explicit Win32WritableFile(UniqueFileHandle file) : file_(std::move(file)) {}
  Status write(const void* data, std::size_t size) override {
    return file_ ? writeHandle(file_.get(), data, size) : ERROR_INVALID_HANDLE;
  }
  Status close() override {
    if (!file_) return 0;
    HANDLE handle = file_.release();
    return ::CloseHandle(handle) ? 0 : systemError();
  }

 private:
  UniqueFileHandle file_;
};

class Win32ScratchFile : public ScratchFile {
 public:
  explicit Win32ScratchFile(UniqueFileHandle file) : file_(std::move(file)) {}
  Status seek(std::uint64_t offset) override { return seekHandle(file_.get(), offset); }
  Status read(void* buffer, std::size_t size, std::size_t& bytesRead) override {
    return readHandle(file_.get(), buffer, size, bytesRead);
  }
  std::uint64_t size() const override { return sizeOfHandle(file_.get()); }
  Status write(const void* data, std::size_t size) override {
    return writing_ ? writeHandle(file_.get(), data, size) : ERROR_INVALID_HANDLE;
  }
  Status close() override {
    writing_ = false;
    return 0;
  }

 private:
  UniqueFileHandle file_;
  bool writing_ = true;
};

// A new file made as new: an existing one is deleted first rather than truncated and written
// into, which would keep its owner and rights (and cost its whole size again when it grows back,
// measured under Wine on ext4).
UniqueFileHandle createNew(const std::string& path, DWORD access, DWORD sharing) {
  UniqueFileHandle file(::CreateFileA(path.c_str(), access, sharing, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file && (::GetLastError() == ERROR_FILE_EXISTS || ::GetLastError() == ERROR_ALREADY_EXISTS)) {
    if (!::DeleteFileA(path.c_str())) return file;
    file.reset(::CreateFileA(path.c_str(), access, sharing, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
  }
  return file;
}

// The file object for an opened handle, or nothing with the system's code in `error`.
template <typename File>
std::unique_ptr<File> wrapped(UniqueFileHandle file, Status& error) {
  if (!file) {
    error = systemError();
    return nullptr;
  }
  error = 0;
  return std::make_unique<File>(std::move(file));
}

}  // namespace

std::unique_ptr<WritableFile> writableFileFor(UniqueFileHandle file) {
  return std::make_unique<Win32WritableFile>(std::move(file));
}

bool Win32FileSystem::check(bool succeeded) {
  if (!succeeded) lastError_ = systemError();
  return succeeded;
}

bool Win32FileSystem::fileExists(const std::string& path) {
  const DWORD attributes = attributesOf(path);
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool Win32FileSystem::folderExists(const std::string& path) {
  const DWORD attributes = attributesOf(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool Win32FileSystem::isLink(const std::string& path) {
  std::string bare = path;
  while (bare.size() > 3 && (bare.back() == '\\' || bare.back() == '/')) bare.pop_back();
  const DWORD attributes = attributesOf(bare);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

bool Win32FileSystem::deleteFile(const std::string& path) {
  return check(::DeleteFileA(path.c_str()) != 0);
}

bool Win32FileSystem::setNormalAttributes(const std::string& path) {
  return check(::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL) != 0);
}

bool Win32FileSystem::addArchiveAttribute(const std::string& path) {
  const DWORD attributes = attributesOf(path);
  if (attributes == INVALID_FILE_ATTRIBUTES) return check(false);
  return check(::SetFileAttributesA(path.c_str(), (attributes & ~FILE_ATTRIBUTE_NORMAL) |
                                                      FILE_ATTRIBUTE_ARCHIVE) != 0);
}

bool Win32FileSystem::createFolder(const std::string& path) {
  return check(::CreateDirectoryA(path.c_str(), nullptr) != 0);
}

bool Win32FileSystem::removeFolder(const std::string& path) {
  return check(::RemoveDirectoryA(path.c_str()) != 0);
}

bool Win32FileSystem::copyFile(const std::string& source, const std::string& target,
                               bool failIfExists) {
  return check(::CopyFileA(source.c_str(), target.c_str(), failIfExists) != 0);
}

std::vector<FolderEntry> Win32FileSystem::listFolder(const std::string& folder) {
  std::string pattern = folder;
  if (!pattern.empty() && pattern.back() != '\\') pattern += '\\';
  pattern += "*.*";
  std::vector<FolderEntry> entries;
  WIN32_FIND_DATAA found;
  UniqueFindHandle search(::FindFirstFileA(pattern.c_str(), &found));
  if (!search) return entries;
  do {
    const std::string name = found.cFileName;
    if (name == "." || name == "..") continue;
    entries.push_back({name, (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0,
                       (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0});
  } while (::FindNextFileA(search.get(), &found));
  return entries;
}

std::optional<std::uint64_t> Win32FileSystem::fileSize(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
  if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return std::nullopt;
  return (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

std::unique_ptr<ReadableFile> Win32FileSystem::openForReading(const std::string& path,
                                                              Status& error) {
  return wrapped<Win32ReadableFile>(UniqueFileHandle(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                                                  OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr)),
                                    error);
}

std::unique_ptr<WritableFile> Win32FileSystem::createFile(const std::string& path, Status& error) {
  return wrapped<Win32WritableFile>(createNew(path, GENERIC_WRITE, 0), error);
}

std::unique_ptr<ScratchFile> Win32FileSystem::createScratchFile(const std::string& path, Status& error) {
  return wrapped<Win32ScratchFile>(createNew(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ), error);
}

std::unique_ptr<HeldFolder> Win32FileSystem::holdFolder(const std::string& path, Status& error) {
  // Without delete sharing, so that nobody can rename or delete the folder, nor any folder
  // above it, while it is held. The link itself is opened, never what it points to.
  UniqueFileHandle folder(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT,
                                        nullptr));
  BY_HANDLE_FILE_INFORMATION information;
  if (!folder || !::GetFileInformationByHandle(folder.get(), &information)) {
    error = systemError();
    return nullptr;
  }
  if (!(information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ||
      (information.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
    error = ERROR_CANT_ACCESS_FILE;
    return nullptr;
  }
  error = 0;
  return std::make_unique<Win32HeldFolder>(std::move(folder));
}

}  // namespace saverkit::win32
