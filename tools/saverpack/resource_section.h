// A Windows program's resources, read from its file and written back in place. The resource
// section keeps its place and size in the file (the installer stub has a fixed size, and nothing
// else in the program moves): the tree is laid out anew within the section's bytes, and what does
// not fit is refused.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "file_io.h"

namespace saverpack {

// A type, name or language key: a number, or a name (then the number is unused).
struct ResourceKey {
  std::uint32_t id = 0;
  std::u16string name;

  bool named() const { return !name.empty(); }
  // The tree's order: named entries first, then numbers, each ascending.
  bool operator<(const ResourceKey& other) const;
  bool operator==(const ResourceKey& other) const { return id == other.id && name == other.name; }
};

struct Resource {
  ResourceKey type;
  ResourceKey name;
  std::uint16_t language = 0;
  std::uint32_t codePage = 0;
  Bytes data;
};

// Where the resources live in the file and how many bytes they may take there.
struct ResourcePlace {
  std::size_t fileOffset = 0;       // of the root directory
  std::uint32_t rva = 0;            // the same place once the program is loaded
  std::size_t capacity = 0;         // bytes from there to the end of the section's file bytes
  std::size_t directorySizeField = 0;  // file offset of the data directory's size for resources
};

struct ResourceSection {
  ResourcePlace place;
  std::vector<Resource> resources;
};

// Throws ToolError(kInvalid), naming `what`, when the file is not a Windows program or its
// resource tree is damaged.
ResourceSection readResources(const Bytes& image, const std::string& what);

// The bytes the tree of `resources` takes when laid out at `rva`.
Bytes encodeResources(std::vector<Resource> resources, std::uint32_t rva);

// Replaces the program's resources with `resources`. Throws ToolError(kInvalid) naming `what`
// and both sizes when they do not fit in the section; the image is then unchanged.
void writeResources(Bytes& image, const ResourcePlace& place, const std::vector<Resource>& resources,
                    const std::string& what);

}  // namespace saverpack
