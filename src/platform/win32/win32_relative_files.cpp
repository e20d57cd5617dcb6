// Files and folders reached relative to a held folder. The installer writes and deletes with
// administrator rights in places the user's other programs can change (the profile, a folder
// named on the command line) or could have prepared before it ran: every name is opened relative
// to the handle of the folder before it and judged on its own handle, so that a link or junction
// put anywhere on the way is refused rather than followed, and a folder renamed meanwhile takes
// nothing of ours with it.
#include <vector>

#include "common/file_names.h"
#include "platform/win32/native_files.h"
#include "platform/win32/win32_file_system.h"

namespace saverkit::win32 {
namespace {

constexpr ACCESS_MASK kWalkAccess = FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES;
constexpr ACCESS_MASK kHoldAccess = kWalkAccess | FILE_ADD_FILE | FILE_ADD_SUBDIRECTORY;
// Others may read and write what is on our way, never rename or delete it while we hold it.
constexpr ULONG kHeldSharing = FILE_SHARE_READ | FILE_SHARE_WRITE;

HANDLE handleOf(HeldFolder& folder) { return static_cast<Win32HeldFolder&>(folder).handle(); }

bool isDotName(const std::string& name) { return name == "." || name == ".."; }

// One folder on the way, opened (or, with FILE_OPEN_IF, made) as itself relative to `folder`:
// 0, -607 for a link (also one that Wine, which follows Unix links whatever it is asked, opened
// through), or the system's code.
Status openStep(const NativeFiles& calls, HANDLE folder, const std::string& name, ULONG disposition, ACCESS_MASK access,
                UniqueNullHandle& opened) {
  if (isDotName(name)) return ERROR_BAD_PATHNAME;
  const WideName wide = wideName(name);
  const std::optional<ULONG> listed = calls.listedAttributes(folder, wide);
  if (listed && (*listed & FILE_ATTRIBUTE_REPARSE_POINT)) return status::kUnsafeFolder;
  const NTSTATUS result = calls.open(folder, wide, {access, kHeldSharing, disposition, FILE_DIRECTORY_FILE}, opened);
  if (!NT_SUCCESS(result)) return calls.errorOf(result);
  const std::optional<ULONG> attributes = calls.attributesOf(opened.get());
  if (!attributes || (*attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
    opened.reset();
    return status::kUnsafeFolder;
  }
  return status::kSuccess;
}

// The root of a full path as the system names it ("\??\C:\" or "\??\UNC\server\share\") and the
// folder names below it; an empty root for a path that is not full.
std::string rootOf(const std::string& path, std::string& rest) {
  if (path.size() >= 3 && path[1] == ':' && (path[2] == '\\' || path[2] == '/')) {
    rest = path.substr(3);
    return "\\??\\" + path.substr(0, 2) + "\\";
  }
  if (path.size() > 2 && path[0] == '\\' && path[1] == '\\' && path[2] != '?' && path[2] != '.') {
    const std::vector<std::string> parts = pathComponents(path);
    if (parts.size() < 2) return "";
    rest.clear();
    for (std::size_t index = 2; index < parts.size(); ++index) rest += parts[index] + "\\";
    return "\\??\\UNC\\" + parts[0] + "\\" + parts[1] + "\\";
  }
  return "";
}

}  // namespace

std::unique_ptr<HeldFolder> Win32FileSystem::holdFolderWithoutLinks(const std::string& path, Status& error) {
  const NativeFiles calls;
  char full[MAX_PATH * 2];
  const DWORD length = ::GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
  std::string rest;
  const std::string root = length > 0 && length < sizeof full ? rootOf(std::string(full, length), rest) : "";
  if (!calls.complete() || root.empty()) {
    error = ERROR_BAD_PATHNAME;
    return nullptr;
  }
  UniqueNullHandle current;
  NTSTATUS result = calls.open(nullptr, wideName(root), {kWalkAccess, kHeldSharing | FILE_SHARE_DELETE, FILE_OPEN,
                                                        FILE_DIRECTORY_FILE}, current);
  if (!NT_SUCCESS(result)) {
    error = calls.errorOf(result);
    return nullptr;
  }
  for (const std::string& name : pathComponents(rest)) {
    UniqueNullHandle next;
    if ((error = openStep(calls, current.get(), name, FILE_OPEN, kHoldAccess, next)) != 0) return nullptr;
    current = std::move(next);
  }
  error = 0;
  return std::make_unique<Win32HeldFolder>(UniqueFileHandle(current.release()));
}

std::unique_ptr<HeldFolder> Win32FileSystem::createHeldFolderIn(HeldFolder& parent, const std::string& name,
                                                                 FolderRights rights, Status& error) {
  if (pathComponents(name).size() != 1 || isDotName(name)) {
    error = ERROR_BAD_PATHNAME;
    return nullptr;
  }
  return createFolderHeld(handleOf(parent), wideName(name), rights, error);
}

std::unique_ptr<WritableFile> Win32FileSystem::createFileIn(HeldFolder& folder, const std::string& relativePath,
                                                            Status& error) {
  const NativeFiles calls;
  std::vector<std::string> parts = pathComponents(relativePath);
  if (!calls.complete() || parts.empty()) {
    error = ERROR_BAD_PATHNAME;
    return nullptr;
  }
  const std::string fileName = parts.back();
  parts.pop_back();
  // The folders on the way, each made (inheriting the held folder's rights) or opened as itself.
  UniqueNullHandle step;
  HANDLE current = handleOf(folder);
  for (const std::string& name : parts) {
    UniqueNullHandle next;
    if ((error = openStep(calls, current, name, FILE_OPEN_IF, kHoldAccess, next)) != 0) return nullptr;
    step = std::move(next);
    current = step.get();
  }
  if (isDotName(fileName)) {
    error = ERROR_BAD_PATHNAME;
    return nullptr;
  }
  const WideName wide = wideName(fileName);
  UniqueNullHandle file;
  NTSTATUS created = calls.open(current, wide, {GENERIC_WRITE, 0, FILE_CREATE, FILE_NON_DIRECTORY_FILE}, file);
  if (created == kNtNameCollision) {
    // An existing file is deleted, never written into: it would keep its owner and rights. A
    // read-only one stays, as DeleteFile leaves it.
    UniqueNullHandle old;
    const NTSTATUS opened = calls.open(current, wide, {DELETE | FILE_READ_ATTRIBUTES, kHeldSharing, FILE_OPEN, 0}, old);
    if (!old) {
      error = calls.errorOf(opened);
      return nullptr;
    }
    const ULONG attributes = calls.attributesOf(old.get()).value_or(FILE_ATTRIBUTE_REPARSE_POINT);
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {  // unknown attributes count as a link
      error = status::kUnsafeFolder;
      return nullptr;
    }
    if ((attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) || !calls.deleteThrough(old.get())) {
      error = ERROR_ACCESS_DENIED;
      return nullptr;
    }
    old.reset();
    created = calls.open(current, wide, {GENERIC_WRITE, 0, FILE_CREATE, FILE_NON_DIRECTORY_FILE}, file);
  }
  if (!NT_SUCCESS(created)) {
    error = calls.errorOf(created);
    return nullptr;
  }
  error = 0;
  return writableFileFor(UniqueFileHandle(file.release()));
}

Status Win32FileSystem::deletePlainFileIn(HeldFolder& folder, const std::string& name) {
  const NativeFiles calls;
  if (!calls.complete() || pathComponents(name).size() != 1 || isDotName(name)) return status::kFileBusy;
  const WideName wide = wideName(name);
  const std::optional<ULONG> listed = calls.listedAttributes(handleOf(folder), wide);
  if (!listed) return status::kSuccess;
  if (*listed & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) return status::kFileBusy;
  UniqueNullHandle file;
  const NTSTATUS opened =
      calls.open(handleOf(folder), wide,
                 {DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES, kHeldSharing, FILE_OPEN, FILE_NON_DIRECTORY_FILE},
                 file);
  if (!file) return opened == kNtNameNotFound ? status::kSuccess : status::kFileBusy;
  const std::optional<ULONG> attributes = calls.attributesOf(file.get());
  if (!attributes || (*attributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY))) return status::kFileBusy;
  return calls.deleteThrough(file.get()) ? status::kSuccess : status::kFileBusy;
}

}  // namespace saverkit::win32
