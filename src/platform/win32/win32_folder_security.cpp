// The rights on the folders the installer makes for itself. The installer runs with
// administrator rights while the user's other programs do not, so its folders get their rights
// at creation (never inherited from a folder the user controls) and are judged before they are
// trusted: a link, or a folder that someone else owns, is not ours.
#include "platform/win32/windows_api.h"

#include <aclapi.h>
#include <sddl.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "platform/win32/native_files.h"
#include "platform/win32/unique_handle.h"
#include "platform/win32/win32_file_system.h"

namespace saverkit::win32 {
namespace {

// Protected ("P": nothing inherited), SYSTEM and Administrators with full control, inherited by
// everything below; the shared folder adds read and run for Users.
const char* const kAdministratorsOnlyDacl = "D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)";
const char* const kUsersMayReadDacl = "D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;FRFX;;;BU)";

struct LocalFreeDeleter {
  void operator()(void* memory) const { ::LocalFree(memory); }
};
using SecurityDescriptor = std::unique_ptr<void, LocalFreeDeleter>;

SecurityDescriptor descriptorFor(FolderRights rights, bool withOwner) {
  std::string text = withOwner ? "O:BA" : "";
  text += rights == FolderRights::kAdministratorsOnly ? kAdministratorsOnlyDacl : kUsersMayReadDacl;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!::ConvertStringSecurityDescriptorToSecurityDescriptorA(text.c_str(), SDDL_REVISION_1, &descriptor, nullptr)) {
    return nullptr;
  }
  return SecurityDescriptor(descriptor);
}

bool isWellKnown(PSID sid, WELL_KNOWN_SID_TYPE type) { return ::IsWellKnownSid(sid, type) != FALSE; }

// TokenUser or TokenOwner of this process: both records begin with the one SID they carry.
std::unique_ptr<BYTE[]> tokenRecord(TOKEN_INFORMATION_CLASS kind) {
  HANDLE raw = nullptr;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &raw)) return nullptr;
  UniqueNullHandle token(raw);
  DWORD size = 0;
  ::GetTokenInformation(token.get(), kind, nullptr, 0, &size);
  std::unique_ptr<BYTE[]> buffer(new BYTE[size ? size : 1]);
  if (!::GetTokenInformation(token.get(), kind, buffer.get(), size, &size)) return nullptr;
  return buffer;
}

PSID sidOf(const std::unique_ptr<BYTE[]>& record) { return record ? *reinterpret_cast<PSID*>(record.get()) : nullptr; }

bool isThisUser(PSID sid) {
  const auto user = tokenRecord(TokenUser);
  return user && ::EqualSid(sidOf(user), sid) != FALSE;
}

// Where this process's own folders belong to Administrators (an elevated administrator), a
// shared folder that this user owns was made by one of their programs without administrator
// rights. Such a program may still hold it open with the right to change its rights, whatever
// is set on it now, so it is not taken over. (Wine reports every file as the user's and gives
// new objects another owner: there the user's ownership says nothing.)
bool madeWithoutAdministratorRights(PSID owner, FolderRights rights) {
  if (rights != FolderRights::kUsersMayRead || !isThisUser(owner)) return false;
  const auto ownerOfNew = tokenRecord(TokenOwner);
  return ownerOfNew && isWellKnown(sidOf(ownerOfNew), WinBuiltinAdministratorsSid);
}

}  // namespace

bool Win32FileSystem::createProtectedFolder(const std::string& path, FolderRights rights) {
  // Administrators as owner needs the group's owner right, which an elevated token has; without
  // it the folder is made with the same rights and the creator as owner.
  for (const bool withOwner : {true, false}) {
    SecurityDescriptor descriptor = descriptorFor(rights, withOwner);
    if (!descriptor) return check(false);
    SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor.get(), FALSE};
    if (::CreateDirectoryA(path.c_str(), &attributes)) return true;
    if (::GetLastError() != ERROR_INVALID_OWNER) break;
  }
  return check(false);
}

std::unique_ptr<HeldFolder> createFolderHeld(HANDLE root, const std::vector<WCHAR>& name, FolderRights rights,
                                             Status& error) {
  const NativeFiles calls;
  if (!calls.complete() || name.empty()) {
    error = ERROR_INVALID_FUNCTION;
    return nullptr;
  }
  // Made and opened in one call: the handle is the new folder's, whatever happens to its name.
  // The hold may list, add to and remove the folder; others may not rename or delete it.
  constexpr ACCESS_MASK kAccess = FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_ADD_FILE | FILE_ADD_SUBDIRECTORY |
                                  FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES | DELETE;
  for (const bool withOwner : {true, false}) {
    SecurityDescriptor descriptor = descriptorFor(rights, withOwner);
    UniqueNullHandle handle;
    const NTSTATUS result = calls.open(
        root, name, {kAccess, FILE_SHARE_READ | FILE_SHARE_WRITE, FILE_CREATE, FILE_DIRECTORY_FILE, descriptor.get()},
        handle);
    if (result >= 0) {
      error = 0;
      return std::make_unique<Win32HeldFolder>(UniqueFileHandle(handle.release()));
    }
    error = calls.errorOf(result);
    if (error != ERROR_INVALID_OWNER) break;
  }
  return nullptr;
}

std::unique_ptr<HeldFolder> Win32FileSystem::createHeldFolder(const std::string& path, FolderRights rights,
                                                               Status& error) {
  std::vector<WCHAR> name = wideName("\\??\\" + path);
  return createFolderHeld(nullptr, name, rights, error);
}

std::unique_ptr<HeldFolder> Win32FileSystem::secureFolder(const std::string& path, FolderRights rights, Status& error) {
  if (::GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
    auto made = createHeldFolder(path, rights, error);
    if (made || error != ERROR_ALREADY_EXISTS) return made;
  }
  // The folder itself, never what a link points to, held without delete sharing: from here on
  // it cannot be swapped, and what is judged is what is changed.
  UniqueFileHandle folder(::CreateFileA(path.c_str(), READ_CONTROL | WRITE_DAC | WRITE_OWNER | FILE_LIST_DIRECTORY,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  BY_HANDLE_FILE_INFORMATION information;
  if (!folder || !::GetFileInformationByHandle(folder.get(), &information)) {
    error = static_cast<Status>(::GetLastError());
    return nullptr;
  }
  PSID owner = nullptr;
  PSECURITY_DESCRIPTOR current = nullptr;
  const DWORD read = ::GetSecurityInfo(folder.get(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr,
                                       nullptr, nullptr, &current);
  SecurityDescriptor heldCurrent(current);
  const bool link = (information.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 ||
                    !(information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
  // An owner that cannot be read is not known to be ours.
  const bool foreign = read != ERROR_SUCCESS || owner == nullptr ||
                       (!isWellKnown(owner, WinLocalSystemSid) && !isWellKnown(owner, WinBuiltinAdministratorsSid) &&
                        !isThisUser(owner)) ||
                       madeWithoutAdministratorRights(owner, rights);
  if (link || foreign) {
    error = status::kUnsafeFolder;
    return nullptr;
  }
  // Administrators take it over, so that a folder this user made before (without our rights)
  // cannot be given back to them; the rights are set anew, repairing weaker ones.
  SecurityDescriptor descriptor = descriptorFor(rights, true);
  PSID newOwner = nullptr;
  PACL dacl = nullptr;
  BOOL present = FALSE;
  BOOL defaulted = FALSE;
  if (!descriptor || !::GetSecurityDescriptorOwner(descriptor.get(), &newOwner, &defaulted) ||
      !::GetSecurityDescriptorDacl(descriptor.get(), &present, &dacl, &defaulted)) {
    error = static_cast<Status>(::GetLastError());
    return nullptr;
  }
  const SECURITY_INFORMATION dacls = DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION;
  DWORD result = ::SetSecurityInfo(folder.get(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | dacls, newOwner,
                                   nullptr, dacl, nullptr);
  if (result == ERROR_INVALID_OWNER) {
    result = ::SetSecurityInfo(folder.get(), SE_FILE_OBJECT, dacls, nullptr, nullptr, dacl, nullptr);
  }
  if (result != ERROR_SUCCESS) {
    error = static_cast<Status>(result);
    return nullptr;
  }
  error = 0;
  return std::make_unique<Win32HeldFolder>(std::move(folder));
}

FolderSafety Win32FileSystem::folderSafety(const std::string& path) {
  FolderSafety safety;
  const DWORD attributes = ::GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return safety;
  safety.exists = true;
  safety.isLink = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
  std::string name = path;
  PSID owner = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (::GetNamedSecurityInfoA(name.data(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr,
                              nullptr, &descriptor) == ERROR_SUCCESS) {
    SecurityDescriptor held(descriptor);
    safety.foreignOwner = owner != nullptr && !isWellKnown(owner, WinLocalSystemSid) &&
                          !isWellKnown(owner, WinBuiltinAdministratorsSid) && !isThisUser(owner);
  }
  return safety;
}

}  // namespace saverkit::win32
