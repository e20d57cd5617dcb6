// The fake's tree removal: the walk of the Win32 one over the fake's nodes. Each folder is judged
// when the walk reaches it and held until its entries are gone, so a link swapped in before that
// moment is removed as itself, and a swap after it is refused, as Windows refuses to rename a
// folder open without delete sharing.
#include <map>

#include "common/text_helpers.h"
#include "platform/fake/fake_file_system.h"

namespace saverkit::fake {
namespace {

std::string withoutTrailingBackslashes(std::string path) {
  while (!path.empty() && (path.back() == '\\' || path.back() == '/')) path.pop_back();
  return path;
}

// One hold on a folder for as long as it lives.
class TreeHold {
 public:
  TreeHold(std::map<std::string, int>& holds, std::string key) : holds_(holds), key_(std::move(key)) { ++holds_[key_]; }
  ~TreeHold() { --holds_[key_]; }
  TreeHold(const TreeHold&) = delete;
  TreeHold& operator=(const TreeHold&) = delete;

 private:
  std::map<std::string, int>& holds_;
  std::string key_;
};

}  // namespace

bool FakeFileSystem::swapForLink(const std::string& path, const std::vector<std::string>& seenThroughIt) {
  if (isHeld(path)) return fail(win_error::kSharingViolation);
  const std::string nodeKey = key(path);
  for (auto it = nodes_.begin(); it != nodes_.end();) {
    it = (it->first == nodeKey || startsWith(it->first, nodeKey + "\\")) ? nodes_.erase(it) : ++it;
  }
  addFolderLink(path);
  for (const std::string& name : seenThroughIt) addFile(path + "\\" + name, "not ours");
  return true;
}

Status FakeFileSystem::removeFolderTree(const std::string& folder) {
  const std::string top = withoutTrailingBackslashes(folder);
  if (top.empty() || top.back() == ':') return status::kNothingDone;
  const Node* node = find(top);
  if (!node || !node->isFolder) return status::kSuccess;
  if (node->isLink) return removeFolder(top) ? status::kSuccess : status::kNothingDone;
  return removeHeldTree(top);
}

// The entries of a folder judged a real one, then the folder: 0, -1 when it stays, -32 when a
// file directly in it would not go (the walk stops there).
Status FakeFileSystem::removeHeldTree(const std::string& folder) {
  {
    const TreeHold hold(holds_, key(folder));
    if (beforeStep) beforeStep("list " + folder + "\\");
    std::vector<std::string> names;
    for (const auto& [nodeKey, node] : nodes_) {
      if (parentKey(nodeKey) == key(folder)) names.push_back(fileNameOf(node.displayPath));
    }
    for (const std::string& name : names) {
      if (removeTreeEntry(folder + "\\" + name) == status::kFileBusy) return status::kFileBusy;
    }
  }
  setNormalAttributes(folder);
  return removeFolder(folder) ? status::kSuccess : status::kNothingDone;
}

// One entry, judged as it is now: a link goes as itself, a folder is emptied and goes, a file
// goes or stops the walk with -32.
Status FakeFileSystem::removeTreeEntry(const std::string& path) {
  const Node* node = find(path);
  if (!node) return status::kSuccess;
  if (node->isLink) {
    removeFolder(path);
  } else if (node->isFolder) {
    removeHeldTree(path);
  } else if (!deleteFile(path)) {
    setNormalAttributes(path);
    if (!deleteFile(path)) return status::kFileBusy;
  }
  return status::kSuccess;
}

}  // namespace saverkit::fake
