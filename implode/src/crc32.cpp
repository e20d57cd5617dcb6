// CRC-32 by slicing over eight tables: installers checksum every unpacked file, so the CRC
// should not be what limits unpacking speed. The tables are computed at compile time.
#include "crc32.h"

#include <array>

namespace saverkit::implode::detail {
namespace {

using Tables = std::array<std::array<std::uint32_t, 256>, 8>;

constexpr Tables buildTables() {
  Tables t{};
  for (std::uint32_t i = 0; i < 256; ++i) {
    std::uint32_t c = i;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    t[0][i] = c;
  }
  for (std::size_t s = 1; s < 8; ++s) {
    for (std::size_t i = 0; i < 256; ++i) t[s][i] = (t[s - 1][i] >> 8) ^ t[0][t[s - 1][i] & 0xff];
  }
  return t;
}

constexpr Tables kTables = buildTables();

}  // namespace

std::uint32_t crc32Raw(std::uint32_t crc, const std::uint8_t* data, std::size_t size) {
  const auto& t = kTables;
  while (size >= 8) {
    const std::uint32_t lo = crc ^ (static_cast<std::uint32_t>(data[0]) | data[1] << 8 |
                                    data[2] << 16 | static_cast<std::uint32_t>(data[3]) << 24);
    crc = t[7][lo & 0xff] ^ t[6][(lo >> 8) & 0xff] ^ t[5][(lo >> 16) & 0xff] ^ t[4][lo >> 24] ^
          t[3][data[4]] ^ t[2][data[5]] ^ t[1][data[6]] ^ t[0][data[7]];
    data += 8;
    size -= 8;
  }
  while (size-- > 0) crc = (crc >> 8) ^ t[0][(crc ^ *data++) & 0xff];
  return crc;
}

}  // namespace saverkit::implode::detail
