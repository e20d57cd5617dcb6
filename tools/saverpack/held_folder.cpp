// The held output folder; see the header.
#include "held_folder.h"

#include <cstdio>
#include <random>
#include <utility>

#include "header_rules.h"
#include "tool_error.h"

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <winternl.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#endif

namespace saverpack {

namespace fs = std::filesystem;

namespace {

constexpr const char* kThroughLink = "would be written through a link";
constexpr const char* kFileInTheWay = "needs a folder where a file already is";
constexpr const char* kIsFolder = "is already a folder";

// A name for the new file that nobody can have placed beforehand.
std::string partialName() {
  std::random_device entropy;
  char name[48];
  std::snprintf(name, sizeof name, ".saverpack-partial-%08x%08x", unsigned(entropy()), unsigned(entropy()));
  return name;
}

// A trailing separator would make the system follow a link at the folder's own name.
fs::path withoutTrailingSeparator(fs::path path) {
  while (!path.has_filename() && path.has_relative_path()) path = path.parent_path();
  return path;
}

}  // namespace

#ifdef _WIN32

namespace {

using CreateCall = NTSTATUS(NTAPI*)(PHANDLE, ACCESS_MASK, POBJECT_ATTRIBUTES, PIO_STATUS_BLOCK, PLARGE_INTEGER, ULONG,
                                    ULONG, ULONG, ULONG, PVOID, ULONG);
using SetInformationCall = NTSTATUS(NTAPI*)(HANDLE, PIO_STATUS_BLOCK, PVOID, ULONG, ULONG);
constexpr ULONG kOpenReparsePoint = 0x00200000;  // FILE_OPEN_REPARSE_POINT
constexpr ULONG kRenameInformation = 10;         // FileRenameInformation
constexpr NTSTATUS kNotADirectory = NTSTATUS(0xC0000103L);
constexpr NTSTATUS kNameCollision = NTSTATUS(0xC0000035L);

// ntdll is in every process already, loaded from the system folder.
template <typename Call>
Call ntdllCall(const char* name) {
  return reinterpret_cast<Call>(reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), name)));
}

// Opens (or makes) `name` directly below the folder `root`, a reparse point as itself.
NTSTATUS openBelow(HANDLE root, const std::wstring& name, ACCESS_MASK access, ULONG disposition, ULONG options,
                   HANDLE& handle) {
  static const auto create = ntdllCall<CreateCall>("NtCreateFile");
  UNICODE_STRING text;
  text.Buffer = const_cast<PWSTR>(name.c_str());
  text.Length = text.MaximumLength = static_cast<USHORT>(name.size() * sizeof(wchar_t));
  OBJECT_ATTRIBUTES object;
  InitializeObjectAttributes(&object, &text, OBJ_CASE_INSENSITIVE, root, nullptr);
  IO_STATUS_BLOCK io{};
  handle = nullptr;
  return create(&handle, access | SYNCHRONIZE, &object, &io, nullptr, FILE_ATTRIBUTE_NORMAL,
                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, disposition,
                options | kOpenReparsePoint | FILE_SYNCHRONOUS_IO_NONALERT, nullptr, 0);
}

std::wstring finalPath(HANDLE handle) {
  std::wstring path(1024, L'\0');
  DWORD length = ::GetFinalPathNameByHandleW(handle, path.data(), DWORD(path.size()), FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
  if (length >= path.size()) {
    path.resize(length + 1);
    length = ::GetFinalPathNameByHandleW(handle, path.data(), DWORD(path.size()), FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
  }
  path.resize(length < path.size() ? length : 0);
  return path;
}

// Whether `handle` is the entry `name` of the folder whose own name is `folder`, and not a
// link: Windows opens a reparse point as itself and marks it; Wine follows a Unix link
// whatever it is asked, and then the name the system has for the handle is the target's.
bool isEntryItself(HANDLE handle, const std::wstring& folder, const std::wstring& name) {
  BY_HANDLE_FILE_INFORMATION information;
  if (!::GetFileInformationByHandle(handle, &information) ||
      (information.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 || folder.empty()) {
    return false;
  }
  const std::wstring expected = folder + (folder.back() == L'\\' ? L"" : L"\\") + name;
  const std::wstring actual = finalPath(handle);
  return actual.size() == expected.size() &&
         ::CompareStringOrdinal(actual.c_str(), int(actual.size()), expected.c_str(), int(expected.size()), TRUE) ==
             CSTR_EQUAL;
}

bool isFolder(HANDLE handle) {
  BY_HANDLE_FILE_INFORMATION information;
  return ::GetFileInformationByHandle(handle, &information) &&
         (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::wstring wide(const std::string& utf8) { return pathFromUtf8(utf8).wstring(); }

struct Closer {
  explicit Closer(HANDLE held = nullptr) : handle(held) {}
  Closer(const Closer&) = delete;
  Closer& operator=(const Closer&) = delete;
  HANDLE handle;
  ~Closer() {
    if (handle != nullptr && handle != INVALID_HANDLE_VALUE) ::CloseHandle(handle);
  }
};

void deleteOnClose(HANDLE file) {
  FILE_DISPOSITION_INFO gone{TRUE};
  ::SetFileInformationByHandle(file, FileDispositionInfo, &gone, sizeof gone);
}

// Renames the open file to `name` in `root`, replacing what is there (a link is replaced, not
// followed). The call goes to ntdll itself: the name is relative to `root`, which Wine's
// SetFileInformationByHandle would take for a path of the current folder.
bool renameInto(HANDLE file, HANDLE root, const std::wstring& name) {
  static const auto set = ntdllCall<SetInformationCall>("NtSetInformationFile");
  struct Rename {
    BOOLEAN replaceIfExists;
    HANDLE rootDirectory;
    ULONG fileNameLength;
    WCHAR fileName[1];
  };
  std::vector<unsigned char> buffer(sizeof(Rename) + name.size() * sizeof(wchar_t));
  auto* rename = reinterpret_cast<Rename*>(buffer.data());
  rename->replaceIfExists = TRUE;
  rename->rootDirectory = root;
  rename->fileNameLength = static_cast<ULONG>(name.size() * sizeof(wchar_t));
  std::copy(name.begin(), name.end(), rename->fileName);
  IO_STATUS_BLOCK io{};
  return set(file, &io, rename, ULONG(buffer.size()), kRenameInformation) >= 0;
}

}  // namespace

struct HeldFolder::Handle {
  HANDLE folder = INVALID_HANDLE_VALUE;
  std::wstring name;  // the system's name for it, what the names of its entries are checked against
};

HeldFolder::HeldFolder(const fs::path& path) : folder_(std::make_unique<Handle>()), shown_(pathToUtf8(path)) {
  std::error_code error;
  fs::create_directories(path, error);
  const fs::path named = withoutTrailingSeparator(fs::absolute(path, error));
  constexpr DWORD kAccess = FILE_LIST_DIRECTORY | FILE_ADD_FILE | FILE_ADD_SUBDIRECTORY | FILE_TRAVERSE | SYNCHRONIZE;
  // The folders above are the author's choice, links and all; the folder named must be itself.
  Closer parent(::CreateFileW(named.parent_path().c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  folder_->folder = ::CreateFileW(named.c_str(), kAccess, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (folder_->folder == INVALID_HANDLE_VALUE || parent.handle == INVALID_HANDLE_VALUE) {
    throw ioError("cannot create folder " + quoteText(shown_));
  }
  const bool itself = !named.has_filename() ? isFolder(folder_->folder)
                                            : isEntryItself(folder_->folder, finalPath(parent.handle),
                                                            named.filename().wstring());
  if (!itself || !isFolder(folder_->folder)) {
    ::CloseHandle(folder_->folder);
    folder_->folder = INVALID_HANDLE_VALUE;
    throw ioError(quoteText(shown_) + " is a link, not a folder: extract writes only into the folder named");
  }
  folder_->name = finalPath(folder_->folder);
}

HeldFolder::~HeldFolder() {
  if (folder_->folder != INVALID_HANDLE_VALUE) ::CloseHandle(folder_->folder);
}

std::string HeldFolder::write(const std::vector<std::string>& parts, const Bytes& bytes) {
  std::vector<Closer> held(parts.size());
  HANDLE current = folder_->folder;
  std::wstring currentName = folder_->name;
  for (std::size_t i = 0; i + 1 < parts.size(); ++i) {
    HANDLE next = nullptr;
    const std::wstring name = wide(parts[i]);
    const NTSTATUS opened = openBelow(current, name, FILE_LIST_DIRECTORY | FILE_ADD_FILE | FILE_ADD_SUBDIRECTORY |
                                                         FILE_TRAVERSE | FILE_READ_ATTRIBUTES,
                                      FILE_OPEN_IF, FILE_DIRECTORY_FILE, next);
    held[i].handle = next;
    if (opened == kNotADirectory) return kFileInTheWay;
    if (opened < 0) return "cannot create a folder on its way";
    if (!isEntryItself(next, currentName, name)) return kThroughLink;
    current = next;
    currentName = finalPath(next);
  }
  const std::wstring name = wide(parts.back());
  HANDLE existing = nullptr;
  if (openBelow(current, name, FILE_READ_ATTRIBUTES, FILE_OPEN, 0, existing) >= 0) {
    Closer closer(existing);
    if (!isEntryItself(existing, currentName, name)) return kThroughLink;
    if (isFolder(existing)) return kIsFolder;
  }
  Closer file;
  NTSTATUS made = kNameCollision;
  for (int attempt = 0; attempt < 8 && made == kNameCollision; ++attempt) {
    made = openBelow(current, wide(partialName()), GENERIC_WRITE | DELETE, FILE_CREATE, FILE_NON_DIRECTORY_FILE,
                     file.handle);
  }
  if (made < 0) return "cannot be created";
  DWORD written = 0;
  const bool complete = bytes.empty() || (::WriteFile(file.handle, bytes.data(), static_cast<DWORD>(bytes.size()),
                                                      &written, nullptr) &&
                                          written == bytes.size());
  if (!complete || !renameInto(file.handle, current, name)) {
    deleteOnClose(file.handle);
    return "cannot be written";
  }
  return {};
}

#else

namespace {

class Descriptor {
 public:
  explicit Descriptor(int fd = -1) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(Descriptor&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
  Descriptor& operator=(Descriptor&& other) noexcept {
    std::swap(fd_, other.fd_);
    return *this;
  }
  int get() const { return fd_; }
  int release() { return std::exchange(fd_, -1); }

 private:
  int fd_;
};

// Why `name` below `folder` cannot be the folder or file wanted, from what it is itself.
std::string refusalFor(int folder, const std::string& name, bool wantFolder) {
  struct stat status {};
  if (::fstatat(folder, name.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0) return {};
  if (S_ISLNK(status.st_mode)) return kThroughLink;
  if (wantFolder && !S_ISDIR(status.st_mode)) return kFileInTheWay;
  if (!wantFolder && S_ISDIR(status.st_mode)) return kIsFolder;
  return {};
}

bool writeAll(int fd, const Bytes& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t wrote = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote <= 0) return false;
    done += std::size_t(wrote);
  }
  return true;
}

}  // namespace

struct HeldFolder::Handle {
  Descriptor folder;
};

HeldFolder::HeldFolder(const fs::path& path) : folder_(std::make_unique<Handle>()), shown_(pathToUtf8(path)) {
  std::error_code error;
  fs::create_directories(path, error);
  folder_->folder = Descriptor(::open(withoutTrailingSeparator(path).c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  if (folder_->folder.get() >= 0) return;
  const int reason = errno;
  if (reason == ELOOP || (reason == ENOTDIR && fs::is_symlink(withoutTrailingSeparator(path), error))) {
    throw ioError(quoteText(shown_) + " is a link, not a folder: extract writes only into the folder named");
  }
  throw ioError("cannot create folder " + quoteText(shown_) + ": " + std::strerror(reason));
}

HeldFolder::~HeldFolder() = default;

std::string HeldFolder::write(const std::vector<std::string>& parts, const Bytes& bytes) {
  Descriptor below;
  int current = folder_->folder.get();
  for (std::size_t i = 0; i + 1 < parts.size(); ++i) {
    const char* name = parts[i].c_str();
    if (::mkdirat(current, name, 0777) != 0 && errno != EEXIST) {
      return std::string("cannot create a folder on its way: ") + std::strerror(errno);
    }
    Descriptor next(::openat(current, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (next.get() < 0) {
      const std::string refusal = refusalFor(current, parts[i], true);
      return refusal.empty() ? std::string("cannot open a folder on its way: ") + std::strerror(errno) : refusal;
    }
    below = std::move(next);
    current = below.get();
  }
  const std::string& name = parts.back();
  if (const std::string refusal = refusalFor(current, name, false); !refusal.empty()) return refusal;
  std::string partial;
  Descriptor file;
  for (int attempt = 0; attempt < 8 && file.get() < 0; ++attempt) {
    partial = partialName();
    file = Descriptor(::openat(current, partial.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
    if (file.get() < 0 && errno != EEXIST) break;
  }
  if (file.get() < 0) return std::string("cannot be created: ") + std::strerror(errno);
  const bool written = writeAll(file.get(), bytes);
  const int closed = ::close(file.release());
  // renameat replaces a link that appeared at the name since the check; it never writes through it.
  if (!written || closed != 0 || ::renameat(current, partial.c_str(), current, name.c_str()) != 0) {
    const int reason = errno;
    ::unlinkat(current, partial.c_str(), 0);
    return std::string("cannot be written: ") + std::strerror(reason);
  }
  return {};
}

#endif

}  // namespace saverpack
