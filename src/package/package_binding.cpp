// The package binding record; see the header.
#include "package/package_binding.h"

#include <algorithm>
#include <cstring>

#include "package/package_format.h"

namespace saverkit {
namespace {

std::uint32_t read32(const std::uint8_t* bytes) {
  return std::uint32_t{bytes[0]} | (std::uint32_t{bytes[1]} << 8) | (std::uint32_t{bytes[2]} << 16) |
         (std::uint32_t{bytes[3]} << 24);
}

std::uint16_t read16(const std::uint8_t* bytes) {
  return static_cast<std::uint16_t>(bytes[0] | (bytes[1] << 8));
}

}  // namespace

std::optional<PackageBinding> decodeBinding(const std::uint8_t* record, std::size_t size) {
  if (size < kBindingRecordSize || !std::equal(kBindingMarker.begin(), kBindingMarker.end(), record)) {
    return std::nullopt;
  }
  PackageBinding binding;
  for (std::size_t i = 0; i < 8; ++i) binding.packageLength |= std::uint64_t{record[8 + i]} << (8 * i);
  std::copy(record + 16, record + 48, binding.digest.begin());
  if (binding.packageLength == 0) return std::nullopt;
  return binding;
}

std::array<std::uint8_t, kBindingRecordSize> encodeBinding(const PackageBinding& binding) {
  std::array<std::uint8_t, kBindingRecordSize> record{};
  std::copy(kBindingMarker.begin(), kBindingMarker.end(), record.begin());
  for (std::size_t i = 0; i < 8; ++i) record[8 + i] = static_cast<std::uint8_t>(binding.packageLength >> (8 * i));
  std::copy(binding.digest.begin(), binding.digest.end(), record.begin() + 16);
  return record;
}

std::optional<std::size_t> findBindingRecord(const std::uint8_t* stub, std::size_t size) {
  // The DOS header points at "PE\0\0"; the file header gives the section count and the optional
  // header's size; the section table follows, 40 bytes an entry.
  if (size < 0x40) return std::nullopt;
  const std::size_t pe = read32(stub + 0x3C);
  if (pe > size || size - pe < 24 || read32(stub + pe) != 0x00004550) return std::nullopt;
  const std::size_t sections = read16(stub + pe + 6);
  const std::size_t table = pe + 24 + read16(stub + pe + 20);
  for (std::size_t i = 0; i < sections; ++i) {
    const std::size_t entry = table + 40 * i;
    if (entry > size || size - entry < 40) return std::nullopt;
    char name[9] = {};
    std::memcpy(name, stub + entry, 8);
    if (std::strcmp(name, kBindingSectionName) != 0) continue;
    const std::size_t start = read32(stub + entry + 20);
    const std::size_t rawSize = read32(stub + entry + 16);
    if (rawSize < kBindingRecordSize || start > size || size - start < kBindingRecordSize) return std::nullopt;
    if (!std::equal(kBindingMarker.begin(), kBindingMarker.end(), stub + start)) return std::nullopt;
    return start;
  }
  return std::nullopt;
}

BindingCheck checkBinding(const std::uint8_t* installer, std::size_t size) {
  BindingCheck check;
  const std::size_t stubSize = static_cast<std::size_t>(kInstallerSizeInBytes);
  const auto place = findBindingRecord(installer, std::min(size, stubSize));
  check.hasPlace = place.has_value();
  if (place) check.recorded = decodeBinding(installer + *place, kBindingRecordSize);
  if (check.recorded && size >= stubSize && size - stubSize >= check.recorded->packageLength) {
    check.matches = sha256Of(installer + stubSize, static_cast<std::size_t>(check.recorded->packageLength)) ==
                    check.recorded->digest;
  }
  return check;
}

}  // namespace saverkit
