// The product folder; see the header.
#include "system/product_folder.h"

#include "common/file_names.h"
#include "system/file_helpers.h"

namespace saverkit {
namespace {

// Creates a folder that does not exist yet; "already exists" counts as success.
Status createMissingFolder(FileSystem& files, const std::string& folder) {
  if (files.folderExists(folder) || files.createFolder(folder)) return status::kSuccess;
  const Status error = files.lastError();
  return error == win_error::kAlreadyExists ? status::kSuccess : error;
}

}  // namespace

Status secureSharedFolder(FileSystem& files, const std::string& sharedFolder, std::unique_ptr<HeldFolder>& hold) {
  std::string bare = sharedFolder;
  while (!bare.empty() && bare.back() == '\\') bare.pop_back();
  if (bare.empty()) return status::kNothingDone;
  Status error = 0;
  // Made, or taken over with its rights set anew (which also repairs the weaker rights an
  // earlier version gave it), and held for the install.
  hold = files.secureFolder(bare, FolderRights::kUsersMayRead, error);
  return hold ? status::kSuccess : (error != 0 ? error : status::kNothingDone);
}

Status deriveProductFolder(const std::string& sharedFolder, const std::string& saverName,
                           std::string& productFolder, const CodePage& codePage) {
  productFolder.clear();
  if (!isSafeBareName(saverName, codePage) || sharedFolder.empty()) return status::kUnsafeSaverName;
  productFolder = sharedFolder + storedFileName(saverName) + "\\";
  return status::kSuccess;
}

bool saverExistsIn(FileSystem& files, const std::string& folder, const std::string& name,
                   const CodePage& codePage) {
  if (folder.empty() || !isSafeBareName(name, codePage)) return false;
  const std::string stored = storedFileName(name);
  return files.fileExists(folder + stored + ".scr") || files.folderExists(folder + stored + "\\");
}

void removeSaverFrom(FileSystem& files, const std::string& folder, const std::string& name,
                     const CodePage& codePage) {
  if (folder.empty() || !isSafeBareName(name, codePage)) return;
  const std::string stored = storedFileName(name);
  const std::string engine = folder + stored + ".scr";
  if (files.fileExists(engine)) deleteFileOnce(files, engine);
  const std::string saverFolder = folder + stored + "\\";
  if (files.folderExists(saverFolder)) deleteFolderTree(files, saverFolder);
}

Status prepareProductFolder(FileSystem& files, const ConfirmQuestion& confirm, const Folders& folders,
                            const std::string& saverName, bool ask, const std::string& questionTail,
                            const CodePage& codePage, std::unique_ptr<HeldFolder>& sharedHold) {
  std::string productFolder;
  const Status nameStatus = deriveProductFolder(folders.sharedFolder, saverName, productFolder, codePage);
  if (nameStatus != status::kSuccess) return nameStatus;
  if (const Status shared = secureSharedFolder(files, folders.sharedFolder, sharedHold)) return shared;

  const bool inShared = saverExistsIn(files, folders.sharedFolder, saverName, codePage);
  const bool inWindows = saverExistsIn(files, folders.windowsFolder, saverName, codePage);
  if ((inShared || inWindows) && ask &&
      !confirm(saverName + questionTail)) {
    return status::kOverwriteDeclined;
  }
  if (inWindows) removeSaverFrom(files, folders.windowsFolder, saverName, codePage);
  if (inShared) removeSaverFrom(files, folders.sharedFolder, saverName, codePage);

  return createMissingFolder(files, productFolder);
}

}  // namespace saverkit
