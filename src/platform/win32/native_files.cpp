// The system's own file calls; see the header.
#include "platform/win32/native_files.h"

#include <cstring>

#include "platform/win32/system_library.h"

namespace saverkit::win32 {
namespace {

constexpr auto kRenameInformation = static_cast<FILE_INFORMATION_CLASS>(10);

UNICODE_STRING textOf(const WideName& name) {
  UNICODE_STRING text;
  text.Buffer = const_cast<PWSTR>(name.data());
  text.Length = text.MaximumLength = static_cast<USHORT>(name.size() * sizeof(WCHAR));
  return text;
}

bool isDotEntry(const WCHAR* name, std::size_t length) {
  return (length == 1 && name[0] == L'.') || (length == 2 && name[0] == L'.' && name[1] == L'.');
}

}  // namespace

WideName wideName(const std::string& ansi) {
  const int length = ansi.empty() ? 0 : ::MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()),
                                                              nullptr, 0);
  WideName name(static_cast<std::size_t>(length > 0 && length < 32000 ? length : 0));
  if (!name.empty()) {
    ::MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), name.data(), length);
  }
  return name;
}

NativeFiles::NativeFiles()
    : create_(systemFunction<NtCreateCall>("ntdll.dll", "NtCreateFile")),
      list_(systemFunction<NtListCall>("ntdll.dll", "NtQueryDirectoryFile")),
      query_(systemFunction<NtInformationCall>("ntdll.dll", "NtQueryInformationFile")),
      set_(systemFunction<NtInformationCall>("ntdll.dll", "NtSetInformationFile")),
      toError_(systemFunction<NtErrorCall>("ntdll.dll", "RtlNtStatusToDosError")) {}

NTSTATUS NativeFiles::open(HANDLE folder, const WideName& name, const OpenRequest& request,
                           UniqueNullHandle& opened) const {
  UNICODE_STRING text = textOf(name);
  OBJECT_ATTRIBUTES object;
  InitializeObjectAttributes(&object, &text, OBJ_CASE_INSENSITIVE, folder, request.rights);
  IO_STATUS_BLOCK io{};
  HANDLE handle = nullptr;
  const NTSTATUS result =
      create_(&handle, request.access | SYNCHRONIZE, &object, &io, nullptr, FILE_ATTRIBUTE_NORMAL, request.sharing,
              request.disposition,
              request.options | FILE_OPEN_REPARSE_POINT | FILE_OPEN_FOR_BACKUP_INTENT | FILE_SYNCHRONOUS_IO_NONALERT,
              nullptr, 0);
  if (NT_SUCCESS(result)) opened.reset(handle);
  return result;
}

std::optional<ULONG> NativeFiles::attributesOf(HANDLE handle) const {
  FILE_BASIC_INFORMATION information{};
  IO_STATUS_BLOCK io{};
  if (!NT_SUCCESS(query_(handle, &io, &information, sizeof information, FileBasicInformation))) return std::nullopt;
  return information.FileAttributes;
}

std::optional<ULONG> NativeFiles::listedAttributes(HANDLE folder, const WideName& name) const {
  // Listed through a handle of its own: the system (and Wine) keep the first name a handle was
  // listed with, and the folder's own handle is listed again later.
  UniqueNullHandle own;
  if (!NT_SUCCESS(open(folder, WideName(), {FILE_LIST_DIRECTORY, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                            FILE_OPEN, FILE_DIRECTORY_FILE}, own))) {
    return std::nullopt;
  }
  std::vector<LONGLONG> buffer(128);  // one record with a name of any length the system allows
  UNICODE_STRING mask = textOf(name);
  IO_STATUS_BLOCK io{};
  const NTSTATUS result = list_(own.get(), nullptr, nullptr, nullptr, &io, buffer.data(),
                                static_cast<ULONG>(buffer.size() * sizeof(LONGLONG)), FileDirectoryInformation, TRUE,
                                &mask, TRUE);
  if (!NT_SUCCESS(result) || io.Information == 0) return std::nullopt;
  return reinterpret_cast<const FILE_DIRECTORY_INFORMATION*>(buffer.data())->FileAttributes;
}

void NativeFiles::listEntries(HANDLE folder, std::vector<std::pair<WideName, ULONG>>& entries) const {
  std::vector<LONGLONG> buffer(2048);  // 16 KB, aligned for the records
  const ULONG size = static_cast<ULONG>(buffer.size() * sizeof(LONGLONG));
  for (BOOLEAN restart = TRUE;; restart = FALSE) {
    IO_STATUS_BLOCK io{};
    const NTSTATUS result = list_(folder, nullptr, nullptr, nullptr, &io, buffer.data(), size,
                                  FileDirectoryInformation, FALSE, nullptr, restart);
    if (result == kNtNoMoreFiles || !NT_SUCCESS(result) || io.Information == 0) return;
    const char* records = reinterpret_cast<const char*>(buffer.data());
    for (ULONG offset = 0;;) {
      const auto* record = reinterpret_cast<const FILE_DIRECTORY_INFORMATION*>(records + offset);
      const std::size_t length = record->FileNameLength / sizeof(WCHAR);
      if (!isDotEntry(record->FileName, length)) {
        entries.emplace_back(WideName(record->FileName, record->FileName + length), record->FileAttributes);
      }
      if (record->NextEntryOffset == 0) break;
      offset += record->NextEntryOffset;
    }
  }
}

NTSTATUS NativeFiles::markForDeletion(HANDLE handle) const {
  FILE_DISPOSITION_INFORMATION disposition{TRUE};
  IO_STATUS_BLOCK io{};
  return set_(handle, &io, &disposition, sizeof disposition, FileDispositionInformation);
}

bool NativeFiles::soleNameOf(HANDLE handle) const {
  // The standard information's layout: two sizes, the number of names, two flags.
  struct StandardInformation {
    LARGE_INTEGER allocationSize;
    LARGE_INTEGER endOfFile;
    ULONG numberOfLinks;
    BOOLEAN deletePending;
    BOOLEAN directory;
  } information{};
  constexpr auto kStandardInformation = static_cast<FILE_INFORMATION_CLASS>(5);
  IO_STATUS_BLOCK io{};
  if (!NT_SUCCESS(query_(handle, &io, &information, sizeof information, kStandardInformation))) return false;
  // A folder has one name whatever the count says (Wine passes on the Unix count of its subfolders).
  return information.directory || information.numberOfLinks == 1;
}

bool NativeFiles::deleteThrough(HANDLE handle) const {
  const NTSTATUS first = markForDeletion(handle);
  if (NT_SUCCESS(first)) return true;
  if (first == kNtNotEmpty || !soleNameOf(handle)) return false;
  FILE_BASIC_INFORMATION normal{};
  normal.FileAttributes = FILE_ATTRIBUTE_NORMAL;
  IO_STATUS_BLOCK io{};
  set_(handle, &io, &normal, sizeof normal, FileBasicInformation);
  return NT_SUCCESS(markForDeletion(handle));
}

NTSTATUS NativeFiles::rename(HANDLE handle, HANDLE folder, const WideName& name) const {
  // The record's layout: a flag, the folder's handle, the name's length in bytes, the name.
  struct RenameHead {
    BOOLEAN replaceIfExists;
    HANDLE rootDirectory;
    ULONG fileNameLength;
  };
  // A 64-bit process's record puts the name at 20, inside this head's padding.
  static_assert(sizeof(void*) == 4, "the rename record is laid out for 32-bit processes");
  const std::size_t bytes = name.size() * sizeof(WCHAR);
  std::vector<LONGLONG> buffer((sizeof(RenameHead) + bytes + 2 * sizeof(WCHAR)) / sizeof(LONGLONG) + 1);
  RenameHead head{FALSE, folder, static_cast<ULONG>(bytes)};
  std::memcpy(buffer.data(), &head, sizeof head);
  if (bytes != 0) std::memcpy(reinterpret_cast<char*>(buffer.data()) + sizeof head, name.data(), bytes);
  IO_STATUS_BLOCK io{};
  return set_(handle, &io, buffer.data(), static_cast<ULONG>(sizeof head + bytes), kRenameInformation);
}

}  // namespace saverkit::win32
