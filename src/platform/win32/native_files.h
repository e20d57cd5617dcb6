// The system's own file calls (ntdll), which open a name relative to a folder's handle: what the
// installer has judged and holds is what it works in, and no name is looked up from a drive's
// root again. Every process has ntdll loaded from the system folder, and the calls exist on every
// Windows the installer runs on, where the Win32 by-handle calls need Vista.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "common/status.h"
#include "platform/win32/unique_handle.h"
#include "platform/win32/windows_api.h"

#include <winternl.h>

namespace saverkit::win32 {

inline constexpr NTSTATUS kNtNoMoreFiles = static_cast<NTSTATUS>(0x80000006);
inline constexpr NTSTATUS kNtNameNotFound = static_cast<NTSTATUS>(0xC0000034);
inline constexpr NTSTATUS kNtNameCollision = static_cast<NTSTATUS>(0xC0000035);
inline constexpr NTSTATUS kNtPathNotFound = static_cast<NTSTATUS>(0xC000003A);
inline constexpr NTSTATUS kNtNotEmpty = static_cast<NTSTATUS>(0xC0000101);

using NtCreateCall = NTSTATUS(NTAPI*)(PHANDLE, ACCESS_MASK, POBJECT_ATTRIBUTES, PIO_STATUS_BLOCK, PLARGE_INTEGER,
                                      ULONG, ULONG, ULONG, ULONG, PVOID, ULONG);
using NtListCall = NTSTATUS(NTAPI*)(HANDLE, HANDLE, PVOID, PVOID, PIO_STATUS_BLOCK, PVOID, ULONG,
                                    FILE_INFORMATION_CLASS, BOOLEAN, PUNICODE_STRING, BOOLEAN);
using NtInformationCall = NTSTATUS(NTAPI*)(HANDLE, PIO_STATUS_BLOCK, PVOID, ULONG, FILE_INFORMATION_CLASS);
using NtErrorCall = ULONG(NTAPI*)(NTSTATUS);

// A name as the system takes it (a vector: the wide string of the static C++ library would add
// its locale machinery to the stub).
using WideName = std::vector<WCHAR>;
WideName wideName(const std::string& ansi);

// One way to open: what is asked for, what others may still do, and what happens when the name
// is (not) there. Entries are always opened as themselves, never through a link.
struct OpenRequest {
  ACCESS_MASK access;
  ULONG sharing;
  ULONG disposition;  // FILE_OPEN, FILE_CREATE, FILE_OPEN_IF
  ULONG options;      // FILE_DIRECTORY_FILE, FILE_NON_DIRECTORY_FILE or 0
  PSECURITY_DESCRIPTOR rights = nullptr;
};

class NativeFiles {
 public:
  NativeFiles();
  bool complete() const { return create_ && list_ && query_ && set_ && toError_; }

  // `name` relative to `folder` (or a full "\??\" name with no folder).
  NTSTATUS open(HANDLE folder, const WideName& name, const OpenRequest& request, UniqueNullHandle& opened) const;
  // What the handle itself is; nothing when it cannot be asked.
  std::optional<ULONG> attributesOf(HANDLE handle) const;
  // The attributes under which a folder lists `name`, as its entry says without opening it
  // (Wine opens the target of a Unix symbolic link whatever it is asked, but lists the link as a
  // reparse point); nothing when the folder has no such entry.
  std::optional<ULONG> listedAttributes(HANDLE folder, const WideName& name) const;
  // Every entry of a folder but "." and "..", with its listed attributes.
  void listEntries(HANDLE folder, std::vector<std::pair<WideName, ULONG>>& entries) const;
  // Marks the object for deletion when its last handle closes; a second time with normal
  // attributes, since a read-only file or folder refuses the first, but never for a file with
  // another name (a hard link): its attributes are those of a file that may be somebody else's. A folder that is not empty
  // stays: no attribute changes that (and Wine accepts the second mark and then keeps it).
  bool deleteThrough(HANDLE handle) const;
  // Whether the object has this one name only; false when that cannot be asked.
  bool soleNameOf(HANDLE handle) const;
  // Renames the object to `name` in the folder `folder`, never over an existing entry.
  NTSTATUS rename(HANDLE handle, HANDLE folder, const WideName& name) const;
  Status errorOf(NTSTATUS result) const { return static_cast<Status>(toError_(result)); }

 private:
  NTSTATUS markForDeletion(HANDLE handle) const;

  NtCreateCall create_;
  NtListCall list_;
  NtInformationCall query_;
  NtInformationCall set_;
  NtErrorCall toError_;
};

}  // namespace saverkit::win32
