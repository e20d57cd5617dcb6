// Fuzzes what saverpack reads of an author's icon and of a program's resource tree (the stub
// given with --stub may be any file): nothing may read outside the bytes, and a tree that reads
// must write back into its own section and read again the same.
#include <cstddef>
#include <cstdint>

#include "icon_file.h"
#include "resource_section.h"
#include "tool_error.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace saverpack;
  // An exact copy, so that a read one byte past the input is caught.
  const Bytes bytes(data, data + size);
  try {
    const auto images = readIcon(bytes, "icon", 65536);
    if (images.empty() || iconFile(images).size() > 65536) __builtin_trap();
  } catch (const ToolError&) {
  }
  try {
    const ResourceSection section = readResources(bytes, "program");
    Bytes copy = bytes;
    writeResources(copy, section.place, section.resources, "program");
    if (readResources(copy, "program").resources.size() != section.resources.size()) __builtin_trap();
  } catch (const ToolError&) {
  }
  return 0;
}
