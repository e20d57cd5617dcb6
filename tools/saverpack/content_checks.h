// Checks of what a slot's file holds, where the installer relies on its kind: the licence is
// put into a text box, the read-me is opened as a document, and the picture fills a 482 x 272
// area. A wrong file here gives an installer that builds but shows garbage.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "file_io.h"
#include "findings.h"

namespace saverpack {

inline constexpr int kPresentationWidth = 482;
inline constexpr int kPresentationHeight = 272;

struct PictureSize {
  const char* format;  // "BMP" or "JPEG"
  int width = 0;
  int height = 0;
};

// The size a BMP's header or a JPEG's frame marker gives; nothing when the bytes are neither
// or too damaged to say.
std::optional<PictureSize> pictureSize(const Bytes& bytes);

// The offset of the first byte that plain text in a single-byte code page cannot hold (NUL
// and control characters other than tab, line feed, form feed and carriage return).
std::optional<std::size_t> firstNonTextByte(const Bytes& bytes);

// Converts a UTF-8 licence or read-me to the installer's code page and a licence's LF line ends
// to CR LF, with a note for each; an error when a character has no place in the code page.
void normaliseText(std::size_t slot, const std::string& shown, Bytes& contents, Findings& findings);

// Adds errors and warnings for the slot's file. `shown` is the file as the manifest names it.
void checkSlotContents(std::size_t slot, const std::string& shown, const Bytes& contents,
                       std::uint8_t presentationMode, Findings& findings);

}  // namespace saverpack
