// The standard CRC-32 (IEEE 802.3: reflected polynomial 0xEDB88320, initial value all ones,
// final complement), with a self-test of its table before a text's CRC is trusted.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace saverkit {

using Crc32Table = std::array<std::uint32_t, 256>;

const Crc32Table& crc32Table();

// Updates a running CRC with `length` bytes (length at least 1).
void crc32Update(const Crc32Table& table, const void* data, std::size_t length, std::uint32_t& crc);

// The CRC of the table's own 1024 bytes (little-endian entries) is 0x6FCF9E13 for a sound table.
inline constexpr std::uint32_t kCrc32TableCheck = 0x6FCF9E13;

// The text's CRC-32, after the table's self-test. A failed self-test reports its message and
// gives no result: callers then act on nothing rather than on a wrong number (the shortcut
// removal deletes no file).
std::optional<std::uint32_t> crc32OfText(const std::string& text,
                                         const std::function<void(const std::string&)>& report,
                                         const Crc32Table& table = crc32Table());

// "CRC32 Table CRC32 is 1234ABCD, expecting $6FCF9E13".
std::string crc32SelfTestMessage(std::uint32_t actual);

}  // namespace saverkit
