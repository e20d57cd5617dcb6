// Fuzzes what saverpack reads of a stub's digest record: the program headers and section table
// that lead to it, and the record itself, from any bytes. Nothing may read outside them.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "package/package_binding.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace saverkit;
  // An exact copy, so that a read one byte past the input is caught.
  const std::vector<std::uint8_t> bytes(data, data + size);
  if (const auto place = findBindingRecord(bytes.data(), bytes.size())) {
    if (*place + kBindingRecordSize > bytes.size()) __builtin_trap();
    decodeBinding(bytes.data() + *place, kBindingRecordSize);
  }
  checkBinding(bytes.data(), bytes.size());
  return 0;
}
