// CRC-32; see the header.
#include "common/crc32.h"

#include <cstdio>

namespace saverkit {
namespace {

Crc32Table makeTable() {
  Crc32Table table{};
  for (std::uint32_t index = 0; index < 256; ++index) {
    std::uint32_t value = index;
    for (int bit = 0; bit < 8; ++bit) value = (value & 1) ? (value >> 1) ^ 0xEDB88320u : value >> 1;
    table[index] = value;
  }
  return table;
}

}  // namespace

const Crc32Table& crc32Table() {
  static const Crc32Table table = makeTable();
  return table;
}

void crc32Update(const Crc32Table& table, const void* data, std::size_t length, std::uint32_t& crc) {
  const auto* bytes = static_cast<const unsigned char*>(data);
  for (std::size_t i = 0; i < length; ++i) crc = table[(crc ^ bytes[i]) & 0xFF] ^ (crc >> 8);
}

std::string crc32SelfTestMessage(std::uint32_t actual) {
  char hex[9];
  std::snprintf(hex, sizeof hex, "%08X", static_cast<unsigned>(actual));
  return std::string("CRC32 Table CRC32 is ") + hex + ", expecting $6FCF9E13";
}

std::optional<std::uint32_t> crc32OfText(const std::string& text,
                                         const std::function<void(const std::string&)>& report,
                                         const Crc32Table& table) {
  unsigned char tableBytes[1024];
  for (std::size_t i = 0; i < 256; ++i) {
    for (std::size_t b = 0; b < 4; ++b) {
      tableBytes[i * 4 + b] = static_cast<unsigned char>(table[i] >> (8 * b));
    }
  }
  std::uint32_t check = 0xFFFFFFFFu;
  crc32Update(table, tableBytes, sizeof tableBytes, check);
  check = ~check;
  if (check != kCrc32TableCheck) {
    report(crc32SelfTestMessage(check));
    return std::nullopt;
  }
  std::uint32_t crc = 0xFFFFFFFFu;
  if (!text.empty()) crc32Update(table, text.data(), text.size(), crc);
  return ~crc;
}

}  // namespace saverkit
