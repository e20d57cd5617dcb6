// File helpers; see the header.
#include "system/file_helpers.h"

#include "common/text_helpers.h"
#include "common/trace.h"

namespace saverkit {
namespace {

// One deletion with the attribute reset; true when the file is gone.
bool deleteWithAttributeReset(FileSystem& files, const std::string& path) {
  if (!files.fileExists(path)) return true;
  if (files.deleteFile(path)) return true;
  files.setNormalAttributes(path);
  return files.deleteFile(path);
}

bool isScreenSaverFile(const std::string& path) { return endsWith(toLowerAscii(path), ".scr"); }

std::string withoutTrailingBackslash(std::string path) {
  while (!path.empty() && path.back() == '\\') path.pop_back();
  return path;
}

}  // namespace

Status deleteFileOnce(FileSystem& files, const std::string& path) {
  return deleteWithAttributeReset(files, path) ? status::kSuccess : status::kFileBusy;
}

Status deleteFileRetrying(FileSystem& files, const std::string& path, int attempts) {
  Status result = status::kNothingDone;
  for (; attempts > 0 && result != status::kSuccess; --attempts) {
    if (deleteWithAttributeReset(files, path)) {
      result = status::kSuccess;
    } else {
      result = isScreenSaverFile(path) ? status::kSaverNotReplaceable : status::kFileBusy;
    }
  }
  return result;
}

Status deleteFolderTree(FileSystem& files, const std::string& folder) {
  if (folder.empty()) return status::kNothingDone;
  const std::string bare = withoutTrailingBackslash(folder);
  // A folder that is itself a link or junction goes as the link: entering it would delete,
  // with administrator rights, whatever it points to.
  if (files.isLink(bare)) {
    // A junction goes by RemoveDirectory, a symbolic link to a folder by either, depending on
    // the system: whichever works, the target is never touched.
    const bool removed = files.removeFolder(bare) || files.deleteFile(bare);
    return removed ? status::kSuccess : status::kNothingDone;
  }
  Status result = status::kSuccess;
  for (const FolderEntry& entry : files.listFolder(folder)) {
    const std::string path = folder + entry.name;
    if (entry.isLink) {
      // Only the link itself: whatever it points to lies outside the tree being removed.
      if (entry.isFolder) {
        files.removeFolder(path);
      } else {
        deleteFileOnce(files, path);
      }
    } else if (entry.isFolder) {
      deleteFolderTree(files, path + "\\");
    } else {
      result = deleteFileOnce(files, path);
      if (result != status::kSuccess) return result;
    }
  }
  if (!files.folderExists(folder)) return status::kSuccess;
  files.setNormalAttributes(bare);
  return files.removeFolder(bare) ? status::kSuccess : status::kNothingDone;
}

bool copyFilePrepared(FileSystem& files, const std::string& source, const std::string& target,
                      bool failIfExists) {
  if (files.fileExists(source)) files.setNormalAttributes(source);
  const std::string targetFolder = folderOf(target);
  if (targetFolder.empty() || files.folderExists(targetFolder)) {
    if (files.fileExists(target)) files.setNormalAttributes(target);
  } else {
    forceFolders(files, targetFolder);
  }
  return files.copyFile(source, target, failIfExists);
}

void forceFolders(FileSystem& files, const std::string& folder) {
  if (folder.empty() || files.folderExists(folder)) return;
  const std::string bare = withoutTrailingBackslash(folder);
  if (bare.empty()) return;
  const std::string parent = folderOf(bare);
  if (!parent.empty() && parent != bare) forceFolders(files, parent);
  files.createFolder(bare);
}

void myGetFileVersion(SystemInfo& system, const std::string& path, std::int32_t& major,
                      std::int32_t& third) {
  trace::enter("myGetFileVersion", path);
  if (const auto version = system.fileVersion(path)) {
    major = static_cast<std::int32_t>(version->mostSignificant >> 16);
    third = static_cast<std::int32_t>(version->leastSignificant >> 16);
  }
  trace::leave("myGetFileVersion", major);
}

}  // namespace saverkit
