// The CRC-32 that installers pair with the codec to verify unpacked files.
#pragma once

#include <cstddef>
#include <cstdint>

namespace saverkit::implode::detail {

// Reflected polynomial 0xEDB88320, no pre- or post-inversion: the caller owns those.
std::uint32_t crc32Raw(std::uint32_t crc, const std::uint8_t* data, std::size_t size);

}  // namespace saverkit::implode::detail
