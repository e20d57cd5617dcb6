// The rights on the folders the installer makes for itself. The installer runs with
// administrator rights while the user's other programs do not, so its folders get their rights
// at creation (never inherited from a folder the user controls) and are judged before they are
// trusted: a link, or a folder that someone else owns, is not ours.
#include "platform/win32/windows_api.h"

#include <aclapi.h>
#include <sddl.h>

#include <memory>

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

bool isThisUser(PSID sid) {
  HANDLE raw = nullptr;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &raw)) return false;
  UniqueNullHandle token(raw);
  DWORD size = 0;
  ::GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
  std::unique_ptr<BYTE[]> buffer(new BYTE[size ? size : 1]);
  if (!::GetTokenInformation(token.get(), TokenUser, buffer.get(), size, &size)) return false;
  return ::EqualSid(reinterpret_cast<TOKEN_USER*>(buffer.get())->User.Sid, sid) != FALSE;
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

bool Win32FileSystem::protectFolder(const std::string& path, FolderRights rights) {
  SecurityDescriptor descriptor = descriptorFor(rights, false);
  BOOL present = FALSE;
  BOOL defaulted = FALSE;
  PACL dacl = nullptr;
  if (!descriptor || !::GetSecurityDescriptorDacl(descriptor.get(), &present, &dacl, &defaulted)) return check(false);
  std::string name = path;
  const DWORD result = ::SetNamedSecurityInfoA(name.data(), SE_FILE_OBJECT,
                                               DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                                               nullptr, nullptr, dacl, nullptr);
  if (result != ERROR_SUCCESS) ::SetLastError(result);
  return check(result == ERROR_SUCCESS);
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
