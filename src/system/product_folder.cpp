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

Status deriveProductFolder(const std::string& sharedFolder, const std::string& saverName,
                           std::string& productFolder) {
  productFolder.clear();
  if (!isSafeBareName(saverName) || sharedFolder.empty()) return status::kUnsafeSaverName;
  productFolder = sharedFolder + saverName + "\\";
  return status::kSuccess;
}

bool saverExistsIn(FileSystem& files, const std::string& folder, const std::string& name) {
  if (folder.empty() || !isSafeBareName(name)) return false;
  return files.fileExists(folder + name + ".scr") || files.folderExists(folder + name + "\\");
}

void removeSaverFrom(FileSystem& files, const std::string& folder, const std::string& name) {
  if (folder.empty() || !isSafeBareName(name)) return;
  const std::string engine = folder + name + ".scr";
  if (files.fileExists(engine)) deleteFileOnce(files, engine);
  const std::string saverFolder = folder + name + "\\";
  if (files.folderExists(saverFolder)) deleteFolderTree(files, saverFolder);
}

Status prepareProductFolder(FileSystem& files, InstallerView& view, const Folders& folders,
                            const std::string& saverName, bool ask,
                            const std::string& questionTail) {
  std::string productFolder;
  const Status nameStatus = deriveProductFolder(folders.sharedFolder, saverName, productFolder);
  if (nameStatus != status::kSuccess) return nameStatus;

  const bool inShared = saverExistsIn(files, folders.sharedFolder, saverName);
  const bool inWindows = saverExistsIn(files, folders.windowsFolder, saverName);
  if ((inShared || inWindows) && ask &&
      !view.showDialog(DialogKind::kOkCancel, saverName + questionTail)) {
    return status::kOverwriteDeclined;
  }
  if (inWindows) removeSaverFrom(files, folders.windowsFolder, saverName);
  if (inShared) removeSaverFrom(files, folders.sharedFolder, saverName);

  const Status sharedStatus = createMissingFolder(files, folders.sharedFolder);
  const Status productStatus = createMissingFolder(files, productFolder);
  return productStatus != status::kSuccess ? productStatus : sharedStatus;
}

}  // namespace saverkit
