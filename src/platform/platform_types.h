// Plain value types the platform interfaces share. No system headers here: the core never sees
// HWND or DWORD.
#pragma once

#include <cstdint>

namespace saverkit {

// A window handle as a number. Handles of a 32-bit Windows process fit 32 bits, and that is how a
// launcher writes them on the command line.
using WindowHandle = std::uint32_t;
inline constexpr WindowHandle kNoWindow = 0;

// The four dialog kinds the installer shows.
enum class DialogKind { kError, kInformation, kOkCancel, kYesNo };

}  // namespace saverkit
