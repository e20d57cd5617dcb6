// Resource tree reading and writing; see the header. Every offset read from the file is checked
// against the bytes it claims before it is followed: the stub given with --stub may be any file.
#include "resource_section.h"

#include <algorithm>
#include <map>
#include <tuple>

#include "tool_error.h"

namespace saverpack {
namespace {

constexpr std::uint32_t kSubdirectoryBit = 0x80000000u;
constexpr std::size_t kDirectorySize = 16;
constexpr std::size_t kDirectoryEntrySize = 8;
constexpr std::size_t kDataEntrySize = 16;
constexpr std::size_t kSectionHeaderSize = 40;
constexpr std::size_t kResourceDirectoryIndex = 2;
constexpr std::size_t kChecksumOffsetInOptionalHeader = 64;

class Reader {
 public:
  Reader(const Bytes& bytes, std::string what) : bytes_(bytes), what_(std::move(what)) {}

  [[noreturn]] void fail(const std::string& why) const {
    throw invalidInput(what_ + ": " + why);
  }
  void need(std::size_t offset, std::size_t length, const char* why) const {
    if (offset > bytes_.size() || length > bytes_.size() - offset) fail(why);
  }
  std::uint16_t u16(std::size_t offset) const {
    need(offset, 2, "not a Windows program (it ends inside its headers)");
    return static_cast<std::uint16_t>(bytes_[offset] | bytes_[offset + 1] << 8);
  }
  std::uint32_t u32(std::size_t offset) const {
    return static_cast<std::uint32_t>(u16(offset)) | static_cast<std::uint32_t>(u16(offset + 2)) << 16;
  }

 private:
  const Bytes& bytes_;
  std::string what_;
};

struct Section {
  std::uint32_t virtualAddress;
  std::uint32_t virtualSize;
  std::uint32_t rawSize;
  std::uint32_t rawOffset;
};

struct Headers {
  std::vector<Section> sections;
  std::size_t resourceDirectory;  // file offset of the data directory entry for resources
  std::size_t checksum;           // file offset of the optional header's checksum
};

Headers readHeaders(const Reader& in) {
  if (in.u16(0) != 0x5A4D) in.fail("not a Windows program (no MZ header)");
  const std::size_t pe = in.u32(0x3C);
  if (in.u32(pe) != 0x00004550) in.fail("not a Windows program (no PE header)");
  const std::size_t sectionCount = in.u16(pe + 6);
  const std::size_t optionalSize = in.u16(pe + 20);
  const std::size_t optional = pe + 24;
  const std::uint16_t magic = in.u16(optional);
  if (magic != 0x10B && magic != 0x20B) in.fail("not a Windows program (unknown optional header)");
  const std::size_t directories = optional + (magic == 0x10B ? 96 : 112);
  const std::size_t directoryCount = in.u32(directories - 4);
  if (directoryCount <= kResourceDirectoryIndex ||
      directories + 8 * (kResourceDirectoryIndex + 1) > optional + optionalSize) {
    in.fail("has no resource directory");
  }
  Headers headers{{}, directories + 8 * kResourceDirectoryIndex, optional + kChecksumOffsetInOptionalHeader};
  for (std::size_t index = 0; index < sectionCount; ++index) {
    const std::size_t at = optional + optionalSize + index * kSectionHeaderSize;
    headers.sections.push_back({in.u32(at + 12), in.u32(at + 8), in.u32(at + 16), in.u32(at + 20)});
  }
  return headers;
}

// The file offset of `rva` and the bytes from there to the end of its section in the file. A
// section table may claim more bytes than a cut-short file has: only those it has count.
std::pair<std::size_t, std::size_t> fileRange(const Headers& headers, std::uint32_t rva, std::size_t fileSize) {
  for (const Section& section : headers.sections) {
    const std::uint32_t mapped = std::min(section.virtualSize, section.rawSize);
    if (rva >= section.virtualAddress && rva - section.virtualAddress < mapped) {
      const std::uint32_t into = rva - section.virtualAddress;
      const std::size_t start = section.rawOffset + std::size_t(into);
      if (start >= fileSize) return {0, 0};
      return {start, std::min<std::size_t>(mapped - into, fileSize - start)};
    }
  }
  return {0, 0};
}

class TreeReader {
 public:
  TreeReader(const Bytes& image, const Reader& in, const Headers& headers, std::size_t root, std::size_t limit)
      : image_(image), in_(in), headers_(headers), root_(root), limit_(limit) {}

  void readDirectory(std::size_t offset, int level, Resource& path, std::vector<Resource>& out) {
    checkInside(offset, kDirectorySize);
    const std::size_t count = std::size_t(in_.u16(root_ + offset + 12)) + in_.u16(root_ + offset + 14);
    checkInside(offset + kDirectorySize, count * kDirectoryEntrySize);
    for (std::size_t index = 0; index < count; ++index) {
      const std::size_t entry = root_ + offset + kDirectorySize + index * kDirectoryEntrySize;
      const std::uint32_t nameField = in_.u32(entry);
      const std::uint32_t target = in_.u32(entry + 4);
      ResourceKey key = (nameField & kSubdirectoryBit) != 0 ? ResourceKey{0, readName(nameField & ~kSubdirectoryBit)}
                                                            : ResourceKey{nameField, {}};
      if (level == 0) path.type = key;
      else if (level == 1) path.name = key;
      else path.language = static_cast<std::uint16_t>(key.id);
      const bool subdirectory = (target & kSubdirectoryBit) != 0;
      if (subdirectory != (level < 2)) in_.fail("its resource tree is damaged (a level out of place)");
      if (subdirectory) readDirectory(target & ~kSubdirectoryBit, level + 1, path, out);
      else out.push_back(readData(target, path));
    }
  }

 private:
  void checkInside(std::size_t offset, std::size_t length) const {
    if (offset > limit_ || length > limit_ - offset) in_.fail("its resource tree is damaged (an entry outside it)");
  }

  std::u16string readName(std::size_t offset) const {
    checkInside(offset, 2);
    const std::size_t length = in_.u16(root_ + offset);
    checkInside(offset + 2, length * 2);
    std::u16string name;
    for (std::size_t index = 0; index < length; ++index) {
      name.push_back(static_cast<char16_t>(in_.u16(root_ + offset + 2 + index * 2)));
    }
    if (name.empty()) in_.fail("its resource tree is damaged (an empty name)");
    return name;
  }

  Resource readData(std::size_t offset, Resource resource) const {
    checkInside(offset, kDataEntrySize);
    const std::uint32_t rva = in_.u32(root_ + offset);
    const std::uint32_t size = in_.u32(root_ + offset + 4);
    resource.codePage = in_.u32(root_ + offset + 8);
    const auto [start, available] = fileRange(headers_, rva, image_.size());
    if (size > available || (size > 0 && available == 0)) in_.fail("its resource tree is damaged (data outside the file)");
    resource.data.assign(image_.begin() + static_cast<std::ptrdiff_t>(start),
                         image_.begin() + static_cast<std::ptrdiff_t>(start + size));
    return resource;
  }

  const Bytes& image_;
  const Reader& in_;
  const Headers& headers_;
  std::size_t root_;
  std::size_t limit_;
};

void put16(Bytes& out, std::size_t at, std::uint32_t value) {
  out[at] = static_cast<std::uint8_t>(value);
  out[at + 1] = static_cast<std::uint8_t>(value >> 8);
}
void put32(Bytes& out, std::size_t at, std::uint32_t value) {
  put16(out, at, value & 0xFFFF);
  put16(out, at + 2, value >> 16);
}
std::size_t alignUp(std::size_t value, std::size_t alignment) {
  return (value + alignment - 1) / alignment * alignment;
}

// The checksum the loader would compute: 16-bit words summed with their carries folded back in,
// the checksum field itself left out, plus the file's length.
std::uint32_t imageChecksum(const Bytes& image, std::size_t checksumField) {
  std::uint64_t sum = 0;
  for (std::size_t at = 0; at < image.size(); at += 2) {
    if (at == checksumField || at == checksumField + 2) continue;
    sum += image[at] | (at + 1 < image.size() ? image[at + 1] << 8 : 0);
    sum = (sum & 0xFFFF) + (sum >> 16);
  }
  sum = (sum & 0xFFFF) + (sum >> 16);
  return static_cast<std::uint32_t>(sum + image.size());
}

}  // namespace

bool ResourceKey::operator<(const ResourceKey& other) const {
  if (named() != other.named()) return named();
  return named() ? name < other.name : id < other.id;
}

ResourceSection readResources(const Bytes& image, const std::string& what) {
  const Reader in(image, what);
  const Headers headers = readHeaders(in);
  const std::uint32_t rva = in.u32(headers.resourceDirectory);
  const std::uint32_t size = in.u32(headers.resourceDirectory + 4);
  if (rva == 0 || size == 0) in.fail("has no resources");
  const auto [start, available] = fileRange(headers, rva, image.size());
  if (available < size) in.fail("its resource directory lies outside its sections or the file");
  ResourceSection section;
  section.place = {start, rva, available, headers.resourceDirectory + 4};
  TreeReader tree(image, in, headers, start, size);
  Resource path;
  tree.readDirectory(0, 0, path, section.resources);
  return section;
}

Bytes encodeResources(std::vector<Resource> resources, std::uint32_t rva) {
  std::sort(resources.begin(), resources.end(), [](const Resource& a, const Resource& b) {
    return std::tie(a.type, a.name, a.language) < std::tie(b.type, b.name, b.language);
  });
  // Directories first, then the names, the data entries and the data, as resource compilers lay
  // them out: every offset in the tree is known before a byte is written.
  using Names = std::map<ResourceKey, std::vector<const Resource*>>;
  std::map<ResourceKey, Names> tree;
  for (const Resource& resource : resources) tree[resource.type][resource.name].push_back(&resource);
  std::size_t directories = kDirectorySize + tree.size() * kDirectoryEntrySize;
  std::size_t nameBytes = 0;
  const auto countName = [&](const ResourceKey& key) { nameBytes += key.named() ? 2 + 2 * key.name.size() : 0; };
  for (const auto& [type, names] : tree) {
    countName(type);
    directories += kDirectorySize + names.size() * kDirectoryEntrySize;
    for (const auto& [name, languages] : names) {
      countName(name);
      directories += kDirectorySize + languages.size() * kDirectoryEntrySize;
    }
  }
  std::size_t nameAt = directories;
  std::size_t entryAt = alignUp(directories + nameBytes, 4);
  std::size_t dataAt = alignUp(entryAt + resources.size() * kDataEntrySize, 8);
  std::size_t total = dataAt;
  for (const Resource& resource : resources) total = alignUp(total, 8) + resource.data.size();
  Bytes out(total, 0);

  std::size_t directoryAt = 0;
  const auto writeDirectory = [&](std::size_t entries, std::size_t namedCount) {
    const std::size_t at = directoryAt;
    put16(out, at + 12, static_cast<std::uint32_t>(namedCount));
    put16(out, at + 14, static_cast<std::uint32_t>(entries - namedCount));
    directoryAt += kDirectorySize + entries * kDirectoryEntrySize;
    return at + kDirectorySize;
  };
  const auto keyField = [&](const ResourceKey& key) -> std::uint32_t {
    if (!key.named()) return key.id;
    const std::size_t at = nameAt;
    put16(out, at, static_cast<std::uint32_t>(key.name.size()));
    for (std::size_t index = 0; index < key.name.size(); ++index) put16(out, at + 2 + 2 * index, key.name[index]);
    nameAt += 2 + 2 * key.name.size();
    return static_cast<std::uint32_t>(at) | kSubdirectoryBit;
  };
  const auto namedCount = [](const auto& map) {
    return static_cast<std::size_t>(std::count_if(map.begin(), map.end(), [](const auto& item) { return item.first.named(); }));
  };
  // Breadth first: the root, then every type's directory, then every name's.
  std::size_t typeEntry = writeDirectory(tree.size(), namedCount(tree));
  std::vector<std::pair<std::size_t, const std::vector<const Resource*>*>> languageDirectories;
  for (const auto& [type, names] : tree) {
    put32(out, typeEntry, keyField(type));
    put32(out, typeEntry + 4, static_cast<std::uint32_t>(directoryAt) | kSubdirectoryBit);
    typeEntry += kDirectoryEntrySize;
    std::size_t nameEntry = writeDirectory(names.size(), namedCount(names));
    for (const auto& [name, languages] : names) {
      put32(out, nameEntry, keyField(name));
      languageDirectories.push_back({nameEntry + 4, &languages});
      nameEntry += kDirectoryEntrySize;
    }
  }
  for (const auto& [parentField, languages] : languageDirectories) {
    put32(out, parentField, static_cast<std::uint32_t>(directoryAt) | kSubdirectoryBit);
    std::size_t languageEntry = writeDirectory(languages->size(), 0);
    for (const Resource* resource : *languages) {
      put32(out, languageEntry, resource->language);
      put32(out, languageEntry + 4, static_cast<std::uint32_t>(entryAt));
      languageEntry += kDirectoryEntrySize;
      dataAt = alignUp(dataAt, 8);
      put32(out, entryAt, rva + static_cast<std::uint32_t>(dataAt));
      put32(out, entryAt + 4, static_cast<std::uint32_t>(resource->data.size()));
      put32(out, entryAt + 8, resource->codePage);
      entryAt += kDataEntrySize;
      std::copy(resource->data.begin(), resource->data.end(), out.begin() + static_cast<std::ptrdiff_t>(dataAt));
      dataAt += resource->data.size();
    }
  }
  return out;
}

void writeResources(Bytes& image, const ResourcePlace& place, const std::vector<Resource>& resources,
                    const std::string& what) {
  const Bytes tree = encodeResources(resources, place.rva);
  if (tree.size() > place.capacity) {
    throw invalidInput(what + ": its resources would take " + std::to_string(tree.size()) +
                       " bytes; its resource section holds " + std::to_string(place.capacity));
  }
  // Clear the whole room first: bytes of the old tree must not linger after the new one.
  std::fill_n(image.begin() + static_cast<std::ptrdiff_t>(place.fileOffset), place.capacity, std::uint8_t{0});
  std::copy(tree.begin(), tree.end(), image.begin() + static_cast<std::ptrdiff_t>(place.fileOffset));
  put32(image, place.directorySizeField, static_cast<std::uint32_t>(tree.size()));
  const Headers headers = readHeaders(Reader(image, what));
  if (Reader(image, what).u32(headers.checksum) != 0) put32(image, headers.checksum, imageChecksum(image, headers.checksum));
}

}  // namespace saverpack
