// Removal of a folder tree relative to handles. The installer removes trees with administrator
// rights in places where the user's other programs may write, so nothing in the walk trusts a
// path twice: every folder is opened as itself (a reparse point is never followed) and held
// without delete sharing while its entries go, so that neither it nor a folder above it can be
// renamed or replaced by a junction meanwhile; each entry is opened relative to its folder's
// handle, judged on its own handle and deleted through that handle.
//
// The calls come from ntdll, which every process has loaded from the system folder: they open
// relative to a handle, take the entries' names as the system stores them (any name, any depth),
// and exist on every Windows the installer runs on, where the Win32 by-handle calls need Vista.
#include <optional>
#include <string>
#include <vector>

#include "platform/win32/system_library.h"
#include "platform/win32/unique_handle.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/windows_api.h"

#include <winternl.h>

namespace saverkit::win32 {
namespace {

constexpr NTSTATUS kNoMoreFiles = static_cast<NTSTATUS>(0x80000006);
constexpr NTSTATUS kNameNotFound = static_cast<NTSTATUS>(0xC0000034);
constexpr NTSTATUS kPathNotFound = static_cast<NTSTATUS>(0xC000003A);
constexpr NTSTATUS kNotEmpty = static_cast<NTSTATUS>(0xC0000101);
constexpr ACCESS_MASK kEntryAccess = DELETE | SYNCHRONIZE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES;
// Deeper trees than this stay (and so does the top): each level holds a handle and a frame.
constexpr int kDeepestLevel = 200;

using CreateCall = NTSTATUS(NTAPI*)(PHANDLE, ACCESS_MASK, POBJECT_ATTRIBUTES, PIO_STATUS_BLOCK, PLARGE_INTEGER,
                                    ULONG, ULONG, ULONG, ULONG, PVOID, ULONG);
using ListCall = NTSTATUS(NTAPI*)(HANDLE, HANDLE, PVOID, PVOID, PIO_STATUS_BLOCK, PVOID, ULONG,
                                  FILE_INFORMATION_CLASS, BOOLEAN, PUNICODE_STRING, BOOLEAN);
using InformationCall = NTSTATUS(NTAPI*)(HANDLE, PIO_STATUS_BLOCK, PVOID, ULONG, FILE_INFORMATION_CLASS);

struct NativeCalls {
  CreateCall create = systemFunction<CreateCall>("ntdll.dll", "NtCreateFile");
  ListCall list = systemFunction<ListCall>("ntdll.dll", "NtQueryDirectoryFile");
  InformationCall query = systemFunction<InformationCall>("ntdll.dll", "NtQueryInformationFile");
  InformationCall set = systemFunction<InformationCall>("ntdll.dll", "NtSetInformationFile");
  bool complete() const { return create && list && query && set; }
};

// Names are kept as the system gives them (a vector: the wide string of the static C++ library
// would add its locale machinery to the stub).
struct ListedEntry {
  std::vector<WCHAR> name;
  ULONG attributes;
};

bool isDotEntry(const WCHAR* name, std::size_t length) {
  return (length == 1 && name[0] == L'.') || (length == 2 && name[0] == L'.' && name[1] == L'.');
}

class TreeRemoval {
 public:
  explicit TreeRemoval(const NativeCalls& calls) : calls_(calls) {}

  // The entries of a held folder, then the folder itself through its handle: 0, -1 when the
  // folder stays, -32 when a file directly in it would not go (the walk stops there).
  Status removeFolder(HANDLE folder, int level) {
    if (level > kDeepestLevel) return status::kNothingDone;
    std::vector<ListedEntry> entries;
    listEntries(folder, entries);
    for (const ListedEntry& entry : entries) {
      if (removeEntry(folder, entry, level) == status::kFileBusy) return status::kFileBusy;
    }
    return deleteThrough(folder) ? status::kSuccess : status::kNothingDone;
  }

  // What the handle itself is; nothing when it cannot be asked.
  std::optional<ULONG> attributesOf(HANDLE handle) {
    FILE_BASIC_INFORMATION information{};
    IO_STATUS_BLOCK io{};
    if (!NT_SUCCESS(calls_.query(handle, &io, &information, sizeof information, FileBasicInformation))) {
      return std::nullopt;
    }
    return information.FileAttributes;
  }

  // Marks the object for deletion when its last handle closes; a second time with normal
  // attributes, since a read-only file or folder refuses the first. A folder that is not empty
  // stays: no attribute changes that (and Wine accepts the second mark and then keeps it).
  bool deleteThrough(HANDLE handle) {
    const NTSTATUS first = markForDeletion(handle);
    if (NT_SUCCESS(first)) return true;
    if (first == kNotEmpty) return false;
    FILE_BASIC_INFORMATION normal{};
    normal.FileAttributes = FILE_ATTRIBUTE_NORMAL;
    IO_STATUS_BLOCK io{};
    calls_.set(handle, &io, &normal, sizeof normal, FileBasicInformation);
    return NT_SUCCESS(markForDeletion(handle));
  }

 private:
  NTSTATUS markForDeletion(HANDLE handle) {
    FILE_DISPOSITION_INFORMATION disposition{TRUE};
    IO_STATUS_BLOCK io{};
    return calls_.set(handle, &io, &disposition, sizeof disposition, FileDispositionInformation);
  }

  // Reads the folder's entries through its handle, without "." and "..". An unreadable folder
  // gives fewer entries; its own removal then says whether it goes.
  void listEntries(HANDLE folder, std::vector<ListedEntry>& entries) {
    std::vector<LONGLONG> buffer(2048);  // 16 KB, aligned for the records
    const ULONG size = static_cast<ULONG>(buffer.size() * sizeof(LONGLONG));
    for (BOOLEAN restart = TRUE;; restart = FALSE) {
      IO_STATUS_BLOCK io{};
      const NTSTATUS result = calls_.list(folder, nullptr, nullptr, nullptr, &io, buffer.data(), size,
                                          FileDirectoryInformation, FALSE, nullptr, restart);
      if (result == kNoMoreFiles || !NT_SUCCESS(result) || io.Information == 0) return;
      const char* records = reinterpret_cast<const char*>(buffer.data());
      for (ULONG offset = 0;;) {
        const auto* record = reinterpret_cast<const FILE_DIRECTORY_INFORMATION*>(records + offset);
        const std::size_t length = record->FileNameLength / sizeof(WCHAR);
        if (!isDotEntry(record->FileName, length)) {
          entries.push_back({std::vector<WCHAR>(record->FileName, record->FileName + length), record->FileAttributes});
        }
        if (record->NextEntryOffset == 0) break;
        offset += record->NextEntryOffset;
      }
    }
  }

  NTSTATUS openEntry(HANDLE folder, const std::vector<WCHAR>& name, ACCESS_MASK access, UniqueNullHandle& opened) {
    UNICODE_STRING text;
    text.Buffer = const_cast<PWSTR>(name.data());
    text.Length = text.MaximumLength = static_cast<USHORT>(name.size() * sizeof(WCHAR));
    OBJECT_ATTRIBUTES object;
    InitializeObjectAttributes(&object, &text, OBJ_CASE_INSENSITIVE, folder, nullptr);
    IO_STATUS_BLOCK io{};
    HANDLE handle = nullptr;
    // Sharing read and write, never delete: while open, the entry cannot be renamed or replaced.
    const NTSTATUS result = calls_.create(&handle, access, &object, &io, nullptr, 0, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                          FILE_OPEN, FILE_OPEN_REPARSE_POINT | FILE_OPEN_FOR_BACKUP_INTENT |
                                          FILE_SYNCHRONOUS_IO_NONALERT, nullptr, 0);
    if (NT_SUCCESS(result)) opened.reset(handle);
    return result;
  }

  // One entry, judged on its own handle: a link goes as itself, a folder is emptied and goes, a
  // file goes or stops the walk with -32. What else stays makes its folder stay.
  Status removeEntry(HANDLE folder, const ListedEntry& entry, int level) {
    const bool listedAsLink = (entry.attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    const bool listedAsFolder = (entry.attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    const bool mayEnter = listedAsFolder && !listedAsLink;
    UniqueNullHandle opened;
    const NTSTATUS result = openEntry(folder, entry.name, kEntryAccess | (mayEnter ? FILE_LIST_DIRECTORY : 0), opened);
    if (!opened) {
      const bool gone = result == kNameNotFound || result == kPathNotFound;
      return gone || listedAsFolder ? status::kSuccess : status::kFileBusy;
    }
    const std::optional<ULONG> attributes = attributesOf(opened.get());
    if (!attributes) return listedAsFolder ? status::kSuccess : status::kFileBusy;
    if (*attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
      deleteThrough(opened.get());
      return status::kSuccess;
    }
    // Listed as a link, opened as something else: the open went through the link (Wine follows
    // a Unix symbolic link whatever it is asked) or the link was swapped away since. Neither is
    // ours to enter or delete.
    if (listedAsLink) return status::kSuccess;
    if (*attributes & FILE_ATTRIBUTE_DIRECTORY) {
      // A folder swapped in where a file was listed cannot be read through this handle: it goes
      // only when empty.
      if (mayEnter) {
        removeFolder(opened.get(), level + 1);
      } else {
        deleteThrough(opened.get());
      }
      return status::kSuccess;
    }
    return deleteThrough(opened.get()) ? status::kSuccess : status::kFileBusy;
  }

  const NativeCalls& calls_;
};

std::string withoutTrailingBackslashes(std::string path) {
  while (!path.empty() && (path.back() == '\\' || path.back() == '/')) path.pop_back();
  return path;
}

}  // namespace

Status Win32FileSystem::removeFolderTree(const std::string& folder) {
  const std::string top = withoutTrailingBackslashes(folder);
  // Nothing to remove, or a whole drive: never.
  if (top.empty() || top.back() == ':') return status::kNothingDone;
  const NativeCalls calls;
  if (!calls.complete()) return status::kNothingDone;
  const DWORD attributesByPath = ::GetFileAttributesA(top.c_str());
  UniqueFileHandle handle(::CreateFileA(top.c_str(), kEntryAccess | FILE_LIST_DIRECTORY,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!handle) {
    const DWORD error = ::GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? status::kSuccess : status::kNothingDone;
  }
  TreeRemoval removal(calls);
  const std::optional<ULONG> attributes = removal.attributesOf(handle.get());
  if (!attributes) return status::kNothingDone;
  if (*attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
    return removal.deleteThrough(handle.get()) ? status::kSuccess : status::kNothingDone;
  }
  // The path showed a link the handle does not: Wine opened the target of a Unix symbolic link
  // (it follows one whatever it is asked), or the link was swapped for a folder in between.
  // Neither is ours to enter.
  if (attributesByPath != INVALID_FILE_ATTRIBUTES && (attributesByPath & FILE_ATTRIBUTE_REPARSE_POINT)) {
    return status::kNothingDone;
  }
  if (!(*attributes & FILE_ATTRIBUTE_DIRECTORY)) return status::kSuccess;
  return removal.removeFolder(handle.get(), 0);
}

}  // namespace saverkit::win32
