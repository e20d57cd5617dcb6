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
  // The walk lives in the file system: only there can it hold what it has looked at, so that a
  // folder swapped for a junction meanwhile never leads it out of the tree.
  return files.removeFolderTree(folder);
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
