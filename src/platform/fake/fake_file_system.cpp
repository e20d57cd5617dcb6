// The in-memory file system; see the header.
#include "platform/fake/fake_file_system.h"

#include <algorithm>
#include <cstring>

#include "common/text_helpers.h"

namespace saverkit::fake {
namespace {

constexpr Status kDiskFull = 112;

// Open for reading, the file is held: Windows refuses others its writing and deletion.
class FakeReadableFile : public ReadableFile {
 public:
  FakeReadableFile(FakeFileSystem& files, const std::string& key, std::string data, Status readError)
      : hold_(files, key), data_(std::move(data)), readError_(readError) {}
  Status seek(std::uint64_t offset) override {
    position_ = offset;
    return 0;
  }
  Status read(void* buffer, std::size_t size, std::size_t& bytesRead) override {
    bytesRead = 0;
    if (readError_ != 0) return readError_;
    readFromText(data_, position_, buffer, size, bytesRead);
    return 0;
  }
  std::uint64_t size() const override { return data_.size(); }

 private:
  FakeHeldPath hold_;
  std::string data_;
  std::uint64_t position_ = 0;
  Status readError_;
};

}  // namespace

void readFromText(const std::string& data, std::uint64_t& position, void* buffer, std::size_t size,
                  std::size_t& bytesRead) {
  bytesRead = 0;
  // An empty read may come with no buffer at all (an empty vector's data()): copy nothing.
  if (position >= data.size() || size == 0) return;
  bytesRead = static_cast<std::size_t>(std::min<std::uint64_t>(size, data.size() - position));
  std::memcpy(buffer, data.data() + position, bytesRead);
  position += bytesRead;
}

class FakeWritableFile : public WritableFile {
 public:
  FakeWritableFile(FakeFileSystem& files, std::string path, std::size_t limit)
      : files_(files), path_(std::move(path)), limit_(limit) {}
  Status write(const void* data, std::size_t size) override {
    FakeFileSystem::Node* node = files_.find(path_);
    if (closed_ || !node) return win_error::kAccessDenied;
    if (node->data.size() + size > limit_) {
      node->data.append(static_cast<const char*>(data), limit_ - node->data.size());
      return kDiskFull;
    }
    node->data.append(static_cast<const char*>(data), size);
    return 0;
  }
  Status close() override {
    closed_ = true;
    return 0;
  }

 private:
  FakeFileSystem& files_;
  std::string path_;
  std::size_t limit_;
  bool closed_ = false;
};

std::string FakeFileSystem::key(const std::string& path) {
  std::string normalised = toLowerAscii(path);
  std::replace(normalised.begin(), normalised.end(), '/', '\\');
  while (normalised.size() > 1 && normalised.back() == '\\') normalised.pop_back();
  return normalised;
}

std::string FakeFileSystem::parentKey(const std::string& key) {
  const std::size_t slash = key.find_last_of('\\');
  return slash == std::string::npos ? std::string() : key.substr(0, slash);
}

bool FakeFileSystem::parentExists(const std::string& nodeKey) const {
  const std::string parent = parentKey(nodeKey);
  if (parent.empty() || parent.find('\\') == std::string::npos) return true;  // a drive root
  const auto found = nodes_.find(parent);
  return found != nodes_.end() && found->second.isFolder;
}

FakeFileSystem::Node* FakeFileSystem::find(const std::string& path) {
  const auto found = nodes_.find(key(path));
  return found == nodes_.end() ? nullptr : &found->second;
}

const FakeFileSystem::Node* FakeFileSystem::find(const std::string& path) const {
  const auto found = nodes_.find(key(path));
  return found == nodes_.end() ? nullptr : &found->second;
}

bool FakeFileSystem::fail(Status code) {
  lastError_ = code;
  return false;
}

template <typename Map>
const typename Map::mapped_type* FakeFileSystem::injected(const Map& faults,
                                                          const std::string& path) {
  for (const auto& [faultPath, value] : faults) {
    if (key(faultPath) == key(path)) return &value;
  }
  return nullptr;
}

void FakeFileSystem::addFolder(const std::string& path) {
  std::string display = path;
  while (display.size() > 1 && (display.back() == '\\' || display.back() == '/')) display.pop_back();
  const std::string nodeKey = key(display);
  const std::string parent = parentKey(nodeKey);
  if (!parent.empty() && parent.find('\\') != std::string::npos) addFolder(folderOf(display));
  Node& node = nodes_[nodeKey];
  node.isFolder = true;
  node.displayPath = display;
}

void FakeFileSystem::addFile(const std::string& path, const std::string& data, bool readOnly) {
  const std::string folder = folderOf(path);
  if (!folder.empty()) addFolder(folder);
  Node& node = nodes_[key(path)];
  node = Node{path, false, false, readOnly, false, data};
}

void FakeFileSystem::addFolderLink(const std::string& path) {
  addFolder(path);
  nodes_[key(path)].isLink = true;
}

bool FakeFileSystem::exists(const std::string& path) const { return find(path) != nullptr; }

bool FakeFileSystem::isLink(const std::string& path) {
  const Node* node = find(path);
  return node && node->isLink;
}

std::optional<std::string> FakeFileSystem::contents(const std::string& path) const {
  const Node* node = find(path);
  if (!node || node->isFolder) return std::nullopt;
  return node->data;
}

bool FakeFileSystem::isReadOnly(const std::string& path) const {
  const Node* node = find(path);
  return node && node->readOnly;
}

bool FakeFileSystem::hasArchiveAttribute(const std::string& path) const {
  const Node* node = find(path);
  return node && node->archive;
}

std::vector<std::string> FakeFileSystem::pathsUnder(const std::string& folder) const {
  const std::string prefix = folder.empty() ? std::string() : key(folder) + "\\";
  std::vector<std::string> paths;
  for (const auto& [nodeKey, node] : nodes_) {
    if (startsWith(nodeKey, prefix)) paths.push_back(node.displayPath);
  }
  std::sort(paths.begin(), paths.end());
  return paths;
}

int FakeFileSystem::deleteAttempts(const std::string& path) const {
  const auto found = deleteAttempts_.find(key(path));
  return found == deleteAttempts_.end() ? 0 : found->second;
}

bool FakeFileSystem::fileExists(const std::string& path) {
  const Node* node = find(path);
  return node && !node->isFolder;
}

bool FakeFileSystem::folderExists(const std::string& path) {
  const std::string nodeKey = key(path);
  if (nodeKey.size() == 2 && nodeKey[1] == ':') return true;  // drive root
  const Node* node = find(path);
  return node && node->isFolder;
}

bool FakeFileSystem::deleteFile(const std::string& path) {
  if (beforeStep) beforeStep("delete " + path);
  ++deleteAttempts_[key(path)];
  log.push_back("delete " + path);
  Node* node = find(path);
  if (!node || node->isFolder) return fail(win_error::kFileNotFound);
  if (isHeld(path)) return fail(win_error::kSharingViolation);
  for (auto& [busyPath, remaining] : busyFiles) {
    if (key(busyPath) != key(path) || remaining == 0) continue;
    if (remaining > 0) --remaining;
    return fail(win_error::kSharingViolation);
  }
  if (node->readOnly) return fail(win_error::kAccessDenied);
  nodes_.erase(key(path));
  return true;
}

bool FakeFileSystem::setNormalAttributes(const std::string& path) {
  Node* node = find(path);
  if (!node) return fail(win_error::kFileNotFound);
  node->readOnly = false;
  node->archive = false;
  return true;
}

bool FakeFileSystem::addArchiveAttribute(const std::string& path) {
  Node* node = find(path);
  if (!node) return fail(win_error::kFileNotFound);
  node->archive = true;
  return true;
}

bool FakeFileSystem::createFolder(const std::string& path) {
  log.push_back("create folder " + path);
  if (const Status* error = injected(folderCreationErrors, path)) return fail(*error);
  const std::string nodeKey = key(path);
  if (nodes_.count(nodeKey) != 0) return fail(win_error::kAlreadyExists);
  if (!parentExists(nodeKey)) return fail(win_error::kPathNotFound);
  addFolder(path);
  return true;
}

bool FakeFileSystem::removeFolder(const std::string& path) {
  log.push_back("remove folder " + path);
  Node* node = find(path);
  if (!node || !node->isFolder) return fail(win_error::kFileNotFound);
  if (isHeld(path)) return fail(win_error::kSharingViolation);
  for (const std::string& refused : removeFolderRefused) {
    if (key(refused) == key(path)) return fail(win_error::kAccessDenied);
  }
  const std::string nodeKey = key(path);
  // A link goes as itself; what it points to is not ours and is never looked at.
  if (!node->isLink && !pathsUnder(path).empty()) return fail(win_error::kDirNotEmpty);
  for (auto it = nodes_.begin(); it != nodes_.end();) {
    it = (it->first == nodeKey || startsWith(it->first, nodeKey + "\\")) ? nodes_.erase(it) : ++it;
  }
  return true;
}

bool FakeFileSystem::copyFile(const std::string& source, const std::string& target,
                              bool failIfExists) {
  log.push_back("copy " + source + " -> " + target);
  if (const Status* error = injected(copyErrors, target)) return fail(*error);
  const Node* from = find(source);
  if (!from || from->isFolder) return fail(win_error::kFileNotFound);
  if (key(source) == key(target)) return fail(win_error::kSharingViolation);
  if (!parentExists(key(target))) return fail(win_error::kPathNotFound);
  if (Node* existing = find(target)) {
    if (existing->isFolder || existing->readOnly) return fail(win_error::kAccessDenied);
    if (failIfExists) return fail(win_error::kFileExists);
  }
  const std::string data = from->data;
  addFile(target, data);
  return true;
}

std::vector<FolderEntry> FakeFileSystem::listFolder(const std::string& folder) {
  if (beforeStep) beforeStep("list " + folder);
  std::vector<FolderEntry> entries;
  const std::string folderKey = key(folder);
  for (const auto& [nodeKey, node] : nodes_) {
    if (parentKey(nodeKey) != folderKey) continue;
    entries.push_back({fileNameOf(node.displayPath), node.isFolder, node.isLink});
  }
  return entries;
}

std::optional<std::uint64_t> FakeFileSystem::fileSize(const std::string& path) {
  const Node* node = find(path);
  if (!node || node->isFolder) return std::nullopt;
  return node->data.size();
}

std::unique_ptr<ReadableFile> FakeFileSystem::openForReading(const std::string& path,
                                                             Status& error) {
  ++readOpens_[key(path)];
  if (const Status* injectedError = injected(openErrors, path)) {
    error = *injectedError;
    return nullptr;
  }
  const Node* node = find(path);
  if (!node || node->isFolder) {
    error = node ? win_error::kAccessDenied : win_error::kFileNotFound;
    return nullptr;
  }
  const Status* readError = injected(readErrors, path);
  error = 0;
  return std::make_unique<FakeReadableFile>(*this, key(path), node->data, readError ? *readError : 0);
}

std::optional<std::size_t> FakeFileSystem::makeNewFile(const std::string& path, Status& error) {
  if (const Status* injectedError = injected(openErrors, path)) {
    error = *injectedError;
    return std::nullopt;
  }
  const Node* existing = find(path);
  if (existing && (existing->isFolder || existing->readOnly)) {
    error = win_error::kAccessDenied;
    return std::nullopt;
  }
  if (existing && isHeld(path)) {
    error = win_error::kSharingViolation;
    return std::nullopt;
  }
  if (!parentExists(key(path))) {
    error = win_error::kPathNotFound;
    return std::nullopt;
  }
  addFile(path, "");
  const std::size_t* limit = injected(writeLimits, path);
  error = 0;
  return limit ? *limit : SIZE_MAX;
}

std::unique_ptr<WritableFile> FakeFileSystem::createFile(const std::string& path, Status& error) {
  log.push_back("create file " + path);
  const auto limit = makeNewFile(path, error);
  return limit ? std::make_unique<FakeWritableFile>(*this, path, *limit) : nullptr;
}

}  // namespace saverkit::fake
