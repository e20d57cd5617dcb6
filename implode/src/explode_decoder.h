// Decoding of implode streams through the caller's callbacks and work area.
#pragma once

#include "saverkit/implode/codec.h"

namespace saverkit::implode::detail {

// Input staging and the output window, laid out in the caller's 12596-byte work area. Only
// byte arrays live here, so the area needs no alignment.
inline constexpr std::size_t kExplodeInputSize = 2048;
inline constexpr std::size_t kExplodeWindowSize = kExplodeWorkSize - kExplodeInputSize;

Status explodeWithWorkArea(SaverkitReadBuf read, SaverkitWriteBuf write, void* param,
                           std::uint8_t* workArea);

}  // namespace saverkit::implode::detail
