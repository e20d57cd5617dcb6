// The licence and read-me travel as single-byte text, read in the installer's code page, while
// authors on Linux save UTF-8 with LF line ends. These conversions turn such a file into what
// the installer shows correctly, or say precisely why it cannot be done.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "file_io.h"

namespace saverpack {

// The code page saverpack converts to: the Western one, which Windows uses for English and
// the Western European languages.
inline constexpr const char* kTargetCodePage = "Windows-1252";

// Whether the bytes are UTF-8 that needs converting: a byte order mark, or valid UTF-8 with at
// least one character outside ASCII. Pure ASCII and text already in a single-byte code page
// (which is rarely valid UTF-8) are left alone.
bool isConvertibleUtf8(const Bytes& bytes);

struct Conversion {
  Bytes text;                    // the converted text when every character fits
  std::size_t converted = 0;     // characters outside ASCII that were converted
  std::optional<std::string> misfit;  // else the first character that does not fit, described
};

// UTF-8 (a leading byte order mark dropped) to Windows-1252.
Conversion utf8ToWindows1252(const Bytes& bytes);

// LF line ends become CR LF; nothing when the text has no bare LF.
std::optional<Bytes> withCrLfLineEnds(const Bytes& bytes);

}  // namespace saverpack
