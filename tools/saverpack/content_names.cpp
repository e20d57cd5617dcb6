// Desktop leftovers and ASCII names; see the header.
#include "content_names.h"

#include <cstdint>

#include "common/text_helpers.h"

namespace saverpack {
namespace {

// Base letters of U+00C0 to U+017F, in code point order; "?" marks the letters spelt with two.
constexpr std::string_view kLatin1Letters = "AAAAAA?CEEEEIIIIDNOOOOOxOUUUUY??aaaaaa?ceeeeiiiidnooooo_ouuuuy?y";
constexpr std::string_view kExtendedALetters =
    "AaAaAaCcCcCcCcDdDdEeEeEeEeEeGgGgGgGgHhHhIiIiIiIiIi??JjKkkLlLlLlLlLlNnNnNnnNnOoOoOo??RrRrRrSsSsSsSsTtTtTtUuUuUu"
    "UuUuUuWwYyYZzZzZzs";

struct Spelling {
  std::uint32_t codePoint;
  const char* ascii;
};
constexpr Spelling kSpelt[] = {
    {0xC6, "AE"}, {0xDE, "Th"}, {0xDF, "ss"}, {0xE6, "ae"}, {0xFE, "th"}, {0x132, "IJ"}, {0x133, "ij"},
    {0x152, "OE"}, {0x153, "oe"}, {0xA0, " "}, {0x2010, "-"}, {0x2011, "-"}, {0x2012, "-"}, {0x2013, "-"},
    {0x2014, "-"}, {0x2018, "'"}, {0x2019, "'"}, {0x201C, "'"}, {0x201D, "'"}, {0x2026, "..."},
};

std::string asciiOf(std::uint32_t codePoint) {
  // Combining accents, as names from macOS carry them (an "e" followed by its accent).
  if (codePoint >= 0x300 && codePoint <= 0x36F) return {};
  for (const Spelling& spelling : kSpelt) {
    if (spelling.codePoint == codePoint) return spelling.ascii;
  }
  if (codePoint >= 0xC0 && codePoint < 0x100) return std::string(1, kLatin1Letters[codePoint - 0xC0]);
  if (codePoint >= 0x100 && codePoint < 0x180) return std::string(1, kExtendedALetters[codePoint - 0x100]);
  return "_";
}

// The code point starting at `at`, and its length; a byte that starts no valid sequence counts
// as one unknown character.
std::uint32_t decodeAt(std::string_view text, std::size_t at, std::size_t& length) {
  const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(text[i]); };
  const std::uint8_t lead = byte(at);
  length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
  if (length == 1 || at + length > text.size()) {
    length = 1;
    return lead < 0x80 ? lead : 0xFFFD;
  }
  std::uint32_t value = lead & (0x7F >> length);
  for (std::size_t i = 1; i < length; ++i) {
    if ((byte(at + i) & 0xC0) != 0x80) {
      length = 1;
      return 0xFFFD;
    }
    value = value << 6 | (byte(at + i) & 0x3F);
  }
  return value;
}

}  // namespace

bool isDesktopLeftover(std::string_view fileName) {
  const std::string lower = saverkit::toLowerAscii(fileName);
  return lower == ".ds_store" || lower == "thumbs.db" || lower == "desktop.ini" || fileName.substr(0, 2) == "._";
}

std::string asciiFileName(std::string_view name) {
  std::string out;
  for (std::size_t at = 0, length = 0; at < name.size(); at += length) {
    const std::uint32_t codePoint = decodeAt(name, at, length);
    if (codePoint >= 0x20 && codePoint < 0x7F) out += char(codePoint);
    else out += codePoint < 0x20 || codePoint == 0x7F ? "_" : asciiOf(codePoint);
  }
  return out;
}

}  // namespace saverpack
