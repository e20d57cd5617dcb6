// Removal of a folder tree relative to handles. The installer removes trees with administrator
// rights in places where the user's other programs may write, so nothing in the walk trusts a
// path twice: every folder is opened as itself (a reparse point is never followed) and held
// without delete sharing while its entries go, so that neither it nor a folder above it can be
// renamed or replaced by a junction meanwhile; each entry is opened relative to its folder's
// handle, judged on its own handle and deleted through that handle.
#include <optional>
#include <string>
#include <vector>

#include "platform/win32/native_files.h"
#include "platform/win32/unique_handle.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/windows_api.h"

namespace saverkit::win32 {
namespace {

constexpr ACCESS_MASK kEntryAccess = DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES;
// What the check before a removal asks of each entry: that it may be deleted, nothing more.
constexpr ACCESS_MASK kCheckAccess = DELETE | FILE_READ_ATTRIBUTES;
// Deeper trees than this stay (and so does the top): each level holds a handle and a frame.
constexpr int kDeepestLevel = 200;
// How many new names a removal tries for the entry it moves aside.
constexpr int kAsideNames = 100;

class TreeRemoval {
 public:
  explicit TreeRemoval(const NativeFiles& calls) : calls_(calls) {}

  // The entries of a held folder, then the folder itself through its handle: 0, -1 when the
  // folder stays, -32 when a file directly in it would not go (the walk stops there).
  Status removeFolder(HANDLE folder, int level) {
    if (level > kDeepestLevel) return status::kNothingDone;
    std::vector<std::pair<WideName, ULONG>> entries;
    calls_.listEntries(folder, entries);
    for (const auto& [name, attributes] : entries) {
      if (removeEntry(folder, name, attributes, level) == status::kFileBusy) return status::kFileBusy;
    }
    return calls_.deleteThrough(folder) ? status::kSuccess : status::kNothingDone;
  }

  // What `opened` is, judged on its own handle against how its folder listed it: a link goes as
  // itself, a folder is emptied and goes, a file goes. 0 when it went; -1 or -32 when it stays.
  Status removeOpened(HANDLE opened, ULONG listed, int level) {
    const bool listedAsLink = (listed & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    const std::optional<ULONG> attributes = calls_.attributesOf(opened);
    if (!attributes) return status::kNothingDone;
    if (*attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
      return calls_.deleteThrough(opened) ? status::kSuccess : status::kNothingDone;
    }
    // Listed as a link, opened as something else: the open went through the link (Wine follows
    // a Unix symbolic link whatever it is asked) or the link was swapped away since. Neither is
    // ours to enter or delete.
    if (listedAsLink) return status::kNothingDone;
    if (*attributes & FILE_ATTRIBUTE_DIRECTORY) {
      // A folder swapped in where a file was listed cannot be read through this handle: it goes
      // only when empty.
      if (listed & FILE_ATTRIBUTE_DIRECTORY) return removeFolder(opened, level + 1);
      return calls_.deleteThrough(opened) ? status::kSuccess : status::kNothingDone;
    }
    return calls_.deleteThrough(opened) ? status::kSuccess : status::kFileBusy;
  }

  // Whether everything below `folder` can go now: each entry opens for deletion (no other program
  // holds it without delete sharing, nothing denies us its deletion) and no read-only file has a
  // second name. Asked before anything goes, so that a tree that cannot go wholly stays whole.
  bool everyEntryMayGo(HANDLE folder, int level) {
    if (level > kDeepestLevel) return false;
    std::vector<std::pair<WideName, ULONG>> entries;
    calls_.listEntries(folder, entries);
    for (const auto& [name, listed] : entries) {
      const bool mayEnter = (listed & FILE_ATTRIBUTE_DIRECTORY) && !(listed & FILE_ATTRIBUTE_REPARSE_POINT);
      UniqueNullHandle opened;
      calls_.open(folder, name,
                  {kCheckAccess | (mayEnter ? FILE_LIST_DIRECTORY : 0),
                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, FILE_OPEN, 0},
                  opened);
      if (!opened || (mayEnter && !everyEntryMayGo(opened.get(), level + 1))) return false;
      const bool readOnlyFile = (listed & FILE_ATTRIBUTE_READONLY) && !(listed & FILE_ATTRIBUTE_DIRECTORY);
      if (readOnlyFile && !calls_.soleNameOf(opened.get())) return false;
    }
    return true;
  }

 private:
  // One entry of a folder. A folder that stays only makes its own folder stay; a file that stays
  // stops the walk with -32.
  Status removeEntry(HANDLE folder, const WideName& name, ULONG listed, int level) {
    const bool mayEnter = (listed & FILE_ATTRIBUTE_DIRECTORY) && !(listed & FILE_ATTRIBUTE_REPARSE_POINT);
    UniqueNullHandle opened;
    // Sharing read and write, never delete: while open, the entry cannot be renamed or replaced.
    const NTSTATUS result = calls_.open(
        folder, name, {kEntryAccess | (mayEnter ? FILE_LIST_DIRECTORY : 0), FILE_SHARE_READ | FILE_SHARE_WRITE, FILE_OPEN, 0},
        opened);
    const bool listedAsFolder = (listed & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (!opened) {
      const bool gone = result == kNtNameNotFound || result == kNtPathNotFound;
      return gone || listedAsFolder ? status::kSuccess : status::kFileBusy;
    }
    const Status removed = removeOpened(opened.get(), listed, level);
    // A folder that stays only makes its own folder stay.
    return removed == status::kFileBusy && !listedAsFolder ? status::kFileBusy : status::kSuccess;
  }

  const NativeFiles& calls_;
};

std::string withoutTrailingBackslashes(std::string path) {
  while (!path.empty() && (path.back() == '\\' || path.back() == '/')) path.pop_back();
  return path;
}

// "<name>.<n>" for the n-th try.
WideName asideName(const WideName& name, int attempt) {
  WideName digits;
  for (int rest = attempt; rest > 0; rest /= 10) digits.insert(digits.begin(), static_cast<WCHAR>(L'0' + rest % 10));
  WideName aside = name;
  aside.push_back(L'.');
  aside.insert(aside.end(), digits.begin(), digits.end());
  return aside;
}

}  // namespace

Status Win32FileSystem::removeFolderTree(const std::string& folder) {
  const std::string top = withoutTrailingBackslashes(folder);
  // Nothing to remove, or a whole drive: never.
  if (top.empty() || top.back() == ':') return status::kNothingDone;
  const NativeFiles calls;
  if (!calls.complete()) return status::kNothingDone;
  const DWORD attributesByPath = ::GetFileAttributesA(top.c_str());
  UniqueFileHandle handle(::CreateFileA(top.c_str(), kEntryAccess | FILE_LIST_DIRECTORY,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!handle) {
    const DWORD error = ::GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? status::kSuccess : status::kNothingDone;
  }
  const std::optional<ULONG> attributes = calls.attributesOf(handle.get());
  if (!attributes) return status::kNothingDone;
  // A file is not a folder tree: it stays.
  if (!(*attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT))) return status::kSuccess;
  const ULONG listed = attributesByPath == INVALID_FILE_ATTRIBUTES ? *attributes : attributesByPath;
  const Status removed = TreeRemoval(calls).removeOpened(handle.get(), listed, 0);
  return removed == status::kFileBusy || removed == status::kSuccess ? removed : status::kNothingDone;
}

Status Win32FileSystem::removeTreeThrough(HeldFolder& folder) {
  const NativeFiles calls;
  if (!calls.complete()) return status::kNothingDone;
  return TreeRemoval(calls).removeFolder(static_cast<Win32HeldFolder&>(folder).handle(), 0);
}

Status Win32FileSystem::removeEntryIn(HeldFolder& parent, const std::string& name) {
  const NativeFiles calls;
  const WideName original = wideName(name);
  if (!calls.complete() || original.empty()) return status::kUnsafeFolder;
  const HANDLE folder = static_cast<Win32HeldFolder&>(parent).handle();
  const std::optional<ULONG> listed = calls.listedAttributes(folder, original);
  UniqueNullHandle entry;
  const NTSTATUS opened = calls.open(folder, original,
                                     {kEntryAccess | FILE_LIST_DIRECTORY, FILE_SHARE_READ | FILE_SHARE_WRITE, FILE_OPEN, 0},
                                     entry);
  if (!entry) return opened == kNtNameNotFound && !listed ? status::kSuccess : status::kUnsafeFolder;
  const std::optional<ULONG> attributes = calls.attributesOf(entry.get());
  // Listed as a link and opened as something else: the open went through it, and a rename or a
  // removal through this handle would act on what it points to.
  if (!attributes || !listed ||
      ((*listed & FILE_ATTRIBUTE_REPARSE_POINT) && !(*attributes & FILE_ATTRIBUTE_REPARSE_POINT))) {
    return status::kUnsafeFolder;
  }
  // Out of the way first: a rename is refused (on Windows) while anything in the folder is
  // open, so a folder that is in use stays as it was, and nothing of the new saver can land in
  // what is left of the old one.
  NTSTATUS moved = kNtNameCollision;
  for (int attempt = 1; attempt <= kAsideNames && moved == kNtNameCollision; ++attempt) {
    moved = calls.rename(entry.get(), folder, asideName(original, attempt));
  }
  if (!NT_SUCCESS(moved)) return status::kUnsafeFolder;
  // Wine renames a folder whatever is open in it, and a file may deny us its deletion: nothing
  // goes until everything can, so that the old saver is never left half removed.
  const bool isFolder = (*attributes & FILE_ATTRIBUTE_DIRECTORY) && !(*attributes & FILE_ATTRIBUTE_REPARSE_POINT);
  TreeRemoval removal(calls);
  if ((!isFolder || removal.everyEntryMayGo(entry.get(), 0)) &&
      removal.removeOpened(entry.get(), *listed, 0) == status::kSuccess) {
    return status::kSuccess;
  }
  // What stays goes back under its name, so that the old saver is where it was.
  calls.rename(entry.get(), folder, original);
  return status::kUnsafeFolder;
}

}  // namespace saverkit::win32
