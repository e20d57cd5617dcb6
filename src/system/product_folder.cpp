// The product folder; see the header.
#include "system/product_folder.h"

#include "common/file_names.h"
#include "system/file_helpers.h"

namespace saverkit {
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
                            const CodePage& codePage, std::unique_ptr<HeldFolder>& sharedHold,
                            std::unique_ptr<HeldFolder>& productHold) {
  productHold.reset();
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
  // An old product folder is never reused: it may be a link, or hold links or files that someone
  // other than an administrator put there. Whatever stands at its name goes first, and wholly,
  // while nothing else has changed; when it cannot, the old saver stays as it is.
  const std::string stored = storedFileName(saverName);
  // A file at the folder's name is no old saver of ours: it is left as it is, and with no
  // product folder the install fails at its first file there ("path not found").
  const bool fileAtName = files.fileExists(folders.sharedFolder + stored);
  if (!fileAtName && files.removeEntryIn(*sharedHold, stored) != status::kSuccess) return status::kUnsafeFolder;
  if (inWindows) removeSaverFrom(files, folders.windowsFolder, saverName, codePage);
  if (inShared) deleteFileOnce(files, folders.sharedFolder + stored + ".scr");
  if (fileAtName) return status::kSuccess;

  // A new folder with the shared folder's rights, made relative to it and held for the install.
  Status error = 0;
  productHold = files.createHeldFolderIn(*sharedHold, stored, FolderRights::kUsersMayRead, error);
  if (productHold) return status::kSuccess;
  return error != 0 ? error : status::kNothingDone;
}

}  // namespace saverkit
