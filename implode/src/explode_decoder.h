// Decoding of implode streams through the caller's callbacks and work area.
#pragma once

#include <cstdint>
#include <type_traits>

#include "saverkit/implode/codec.h"

namespace saverkit::implode::detail {

// Input staging and the output window, laid out in the caller's 12596-byte work area. Only
// byte arrays live here, so the area needs no alignment.
inline constexpr std::size_t kExplodeInputSize = 2048;
inline constexpr std::size_t kExplodeWindowSize = kExplodeWorkSize - kExplodeInputSize;

// The bit buffer is as wide as the target's registers: a 64-bit one takes two registers and
// multi-instruction shifts on a 32-bit target, which is where the shipped DLL runs.
using ExplodeBitWord = std::conditional_t<(sizeof(void*) >= 8), std::uint64_t, std::uint32_t>;

// The decoder with a bit buffer of the given width, std::uint32_t or std::uint64_t. 64-bit
// builds carry both, so that the narrow one, which only the 32-bit DLL uses, is tested natively
// too; 32-bit builds carry only their own.
template <typename BitWord>
Status explodeWithBitWord(SaverkitReadBuf read, SaverkitWriteBuf write, void* param,
                          std::uint8_t* workArea);

inline Status explodeWithWorkArea(SaverkitReadBuf read, SaverkitWriteBuf write, void* param,
                                  std::uint8_t* workArea) {
  return explodeWithBitWord<ExplodeBitWord>(read, write, param, workArea);
}

}  // namespace saverkit::implode::detail
