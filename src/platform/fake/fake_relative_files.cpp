// The fake's work relative to held folders: the rules of the Win32 one over the fake's nodes. A
// link on the way is refused, an entry is moved aside before it is removed and put back when
// something of it stays, and a folder marked for deletion goes when its last hold ends.
#include "common/file_names.h"
#include "common/text_helpers.h"
#include "platform/fake/fake_file_system.h"

namespace saverkit::fake {
namespace {

bool isBareName(const std::string& name) {
  return pathComponents(name).size() == 1 && name.find_first_of("\\/") == std::string::npos && name != "." && name != "..";
}

}  // namespace

std::string FakeFileSystem::heldPath(HeldFolder& folder) const {
  const std::string& heldKey = dynamic_cast<FakeHeldPath&>(folder).heldKey();
  const auto found = nodes_.find(heldKey);
  return found == nodes_.end() ? heldKey : found->second.displayPath;
}

bool FakeFileSystem::anythingHeldAt(const std::string& nodeKey) const {
  for (const auto& [heldKey, count] : holds_) {
    if (count > 0 && (heldKey == nodeKey || startsWith(heldKey, nodeKey + "\\"))) return true;
  }
  return false;
}

void FakeFileSystem::renameTree(const std::string& fromKey, const std::string& toPath) {
  std::map<std::string, Node> moved;
  for (auto it = nodes_.begin(); it != nodes_.end();) {
    if (it->first == fromKey || startsWith(it->first, fromKey + "\\")) {
      Node node = it->second;
      node.displayPath = toPath + node.displayPath.substr(fromKey.size());
      moved[key(node.displayPath)] = node;
      it = nodes_.erase(it);
    } else {
      ++it;
    }
  }
  nodes_.insert(moved.begin(), moved.end());
}

std::unique_ptr<HeldFolder> FakeFileSystem::holdFolderWithoutLinks(const std::string& path, Status& error) {
  log.push_back("hold " + path);
  const std::vector<std::string> parts = pathComponents(path);
  if (parts.empty() || parts[0].size() != 2 || parts[0][1] != ':') {
    error = 161;  // ERROR_BAD_PATHNAME
    return nullptr;
  }
  std::string walked = parts[0];
  for (std::size_t index = 1; index < parts.size(); ++index) {
    walked += "\\" + parts[index];
    const Node* node = find(walked);
    if (node && node->isLink) {
      error = status::kUnsafeFolder;
      return nullptr;
    }
    if (!node || !node->isFolder) {
      error = node ? 267 : win_error::kPathNotFound;  // ERROR_DIRECTORY for a file on the way
      return nullptr;
    }
  }
  error = 0;
  return std::make_unique<FakeHeldPath>(*this, key(walked));
}

std::unique_ptr<HeldFolder> FakeFileSystem::createHeldFolderIn(HeldFolder& parent, const std::string& name,
                                                               FolderRights rights, Status& error) {
  if (!isBareName(name)) {
    error = 161;
    return nullptr;
  }
  return createHeldFolder(heldPath(parent) + "\\" + name, rights, error);
}

Status FakeFileSystem::removeEntryIn(HeldFolder& parent, const std::string& name) {
  if (!isBareName(name)) return status::kUnsafeFolder;
  const std::string path = heldPath(parent) + "\\" + name;
  const Node* node = find(path);
  if (!node) return status::kSuccess;
  const std::string display = node->displayPath;
  // Windows refuses the rename while anything in the folder is open, by us or another program.
  bool refused = anythingHeldAt(key(path));
  for (const std::string& candidate : moveRefused) refused = refused || key(candidate) == key(path);
  for (const auto& [busy, remaining] : busyFiles) {
    refused = refused || (remaining != 0 && (key(busy) == key(path) || startsWith(key(busy), key(path) + "\\")));
  }
  if (refused) {
    log.push_back("move refused " + display);
    return status::kUnsafeFolder;
  }
  std::string aside;
  for (int attempt = 1; aside.empty() || find(aside); ++attempt) aside = display + "." + decimal(attempt);
  log.push_back("move aside " + display + " -> " + aside);
  renameTree(key(display), aside);
  const Node* movedNode = find(aside);
  Status removed = status::kSuccess;
  if (movedNode->isLink) {
    removed = removeFolder(aside) ? status::kSuccess : status::kNothingDone;
  } else if (movedNode->isFolder) {
    removed = removeHeldTree(aside);
  } else if (!deleteFile(aside)) {
    setNormalAttributes(aside);
    removed = deleteFile(aside) ? status::kSuccess : status::kFileBusy;
  }
  if (removed == status::kSuccess && !find(aside)) return status::kSuccess;
  log.push_back("put back " + display);
  renameTree(key(aside), display);
  return status::kUnsafeFolder;
}

std::unique_ptr<WritableFile> FakeFileSystem::createFileIn(HeldFolder& folder, const std::string& relativePath,
                                                           Status& error) {
  std::vector<std::string> parts = pathComponents(relativePath);
  if (parts.empty()) {
    error = 161;
    return nullptr;
  }
  std::string path = heldPath(folder);
  for (std::size_t index = 0; index < parts.size(); ++index) {
    if (parts[index] == "." || parts[index] == "..") {
      error = 161;
      return nullptr;
    }
    path += "\\" + parts[index];
    const Node* node = find(path);
    if (node && node->isLink) {
      error = status::kUnsafeFolder;
      return nullptr;
    }
    if (index + 1 == parts.size()) break;
    if (node && !node->isFolder) {
      error = 267;
      return nullptr;
    }
    if (!node && !createFolder(path)) {
      error = lastError_;
      return nullptr;
    }
  }
  return createFile(path, error);
}

Status FakeFileSystem::deletePlainFileIn(HeldFolder& folder, const std::string& name) {
  if (!isBareName(name)) return status::kFileBusy;
  const std::string path = heldPath(folder) + "\\" + name;
  const Node* node = find(path);
  if (!node) return status::kSuccess;
  if (node->isFolder || node->isLink) return status::kFileBusy;
  if (deleteFile(path)) return status::kSuccess;
  setNormalAttributes(path);
  return deleteFile(path) ? status::kSuccess : status::kFileBusy;
}

Status FakeFileSystem::removeTreeThrough(HeldFolder& folder) {
  const std::string path = heldPath(folder);
  const std::string folderKey = key(path);
  log.push_back("remove through hold " + path);
  if (!find(path)) return status::kSuccess;
  std::vector<std::string> names;
  for (const auto& [nodeKey, node] : nodes_) {
    if (parentKey(nodeKey) == folderKey) names.push_back(fileNameOf(node.displayPath));
  }
  for (const std::string& name : names) {
    if (removeTreeEntry(path + "\\" + name) == status::kFileBusy) return status::kFileBusy;
  }
  if (!pathsUnder(path).empty()) return status::kNothingDone;
  deleteOnRelease_.insert(folderKey);
  return status::kSuccess;
}

}  // namespace saverkit::fake
