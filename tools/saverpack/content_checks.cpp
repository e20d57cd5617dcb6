// Slot content checks; see the header.
#include "content_checks.h"

#include <cstdio>
#include <cctype>
#include <cstring>

#include "header_rules.h"
#include "messages.h"
#include "package/package_format.h"
#include "text_conversion.h"

namespace saverpack {
namespace {

std::uint32_t le16(const Bytes& b, std::size_t at) { return std::uint32_t(b[at]) | std::uint32_t(b[at + 1]) << 8; }
std::uint32_t le32(const Bytes& b, std::size_t at) { return le16(b, at) | le16(b, at + 2) << 16; }
std::uint32_t be16(const Bytes& b, std::size_t at) { return std::uint32_t(b[at]) << 8 | b[at + 1]; }

std::optional<PictureSize> bmpSize(const Bytes& b) {
  if (b.size() < 26 || b[0] != 'B' || b[1] != 'M') return std::nullopt;
  const std::uint32_t headerSize = le32(b, 14);
  if (headerSize == 12) {  // the old OS/2 header has 16-bit sizes
    return PictureSize{"BMP", int(le16(b, 18)), int(le16(b, 20))};
  }
  if (headerSize < 40 || b.size() < 26) return std::nullopt;
  // A negative height marks a picture stored top row first; its size is the same.
  const auto width = static_cast<std::int32_t>(le32(b, 18));
  const auto height = static_cast<std::int32_t>(le32(b, 22));
  if (width <= 0 || height == 0 || height == INT32_MIN) return std::nullopt;
  return PictureSize{"BMP", width, height < 0 ? -height : height};
}

std::optional<PictureSize> jpegSize(const Bytes& b) {
  if (b.size() < 4 || b[0] != 0xFF || b[1] != 0xD8) return std::nullopt;
  std::size_t at = 2;
  while (at + 4 <= b.size()) {
    if (b[at] != 0xFF) return std::nullopt;
    const std::uint8_t marker = b[at + 1];
    if (marker == 0xFF) {  // fill byte before a marker
      ++at;
      continue;
    }
    if (marker == 0xD8 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {
      at += 2;
      continue;
    }
    const std::size_t length = be16(b, at + 2);
    // Start-of-frame markers are C0 to CF, except C4 (Huffman tables), C8 and CC (arithmetic
    // coding tables); the frame gives height before width.
    if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC) {
      if (at + 9 > b.size() || length < 7) return std::nullopt;
      return PictureSize{"JPEG", int(be16(b, at + 7)), int(be16(b, at + 5))};
    }
    if (marker == 0xDA || marker == 0xD9 || length < 2) return std::nullopt;  // no frame before the data
    at += 2 + length;
  }
  return std::nullopt;
}

bool startsWith(const Bytes& bytes, const char* prefix) {
  const std::size_t size = std::strlen(prefix);
  return bytes.size() >= size && std::memcmp(bytes.data(), prefix, size) == 0;
}

std::string hexByte(std::uint8_t byte) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%02X", byte);
  return text;
}

void checkText(std::size_t slot, const std::string& shown, const Bytes& contents, Findings& findings) {
  const bool licence = slot == saverkit::kSlotLicense;
  const std::string where = slotField(slot, "file");
  if (startsWith(contents, "{\\rtf")) return;
  const auto bad = firstNonTextByte(contents);
  if (bad) {
    std::string why = quoteText(shown) + " is not text (byte " + hexByte(contents[*bad]) + " at offset " +
                      std::to_string(*bad) + ")";
    if (startsWith(contents, "\xFF\xFE") || startsWith(contents, "\xFE\xFF")) {
      why += "; it looks like UTF-16: save it in the ANSI code page (such as Windows-1252) instead";
    }
    why += licence ? "; the licence is shown in the installer window and must be plain text in the ANSI "
                     "code page or RTF (starting with \"{\\rtf\")"
                   : "; the read-me is opened after the install and must be text (plain, HTML or RTF)";
    findings.error(where, why);
    return;
  }
}

// An HTML read-me that declares UTF-8 is read as UTF-8 by the browser that opens it: "charset",
// then an equals sign, with spaces and quotes of either kind allowed around the value.
bool declaresUtf8(const Bytes& contents) {
  std::string text(contents.begin(), contents.end());
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  for (std::size_t at = text.find("charset"); at != std::string::npos; at = text.find("charset", at + 1)) {
    std::size_t value = at + 7;
    while (value < text.size() && (text[value] == ' ' || text[value] == '\t')) ++value;
    if (value >= text.size() || text[value] != '=') continue;
    ++value;
    while (value < text.size() && (text[value] == ' ' || text[value] == '\t' || text[value] == '"' || text[value] == '\'')) ++value;
    if (text.compare(value, 5, "utf-8") == 0 || text.compare(value, 4, "utf8") == 0) return true;
  }
  return false;
}

// A Windows program starts with "MZ" and points at its "PE" header from offset 0x3C.
bool isWindowsProgram(const Bytes& b) {
  if (b.size() < 0x40 || !startsWith(b, "MZ")) return false;
  const std::uint32_t at = le32(b, 0x3C);
  return at <= b.size() - 4 && b[at] == 'P' && b[at + 1] == 'E' && b[at + 2] == 0 && b[at + 3] == 0;
}

void checkPicture(const std::string& shown, const Bytes& contents, Findings& findings) {
  const std::string where = slotField(saverkit::kSlotPresentation, "file");
  const auto size = pictureSize(contents);
  if (!size) {
    findings.error(where, quoteText(shown) + " is neither a BMP nor a JPEG picture; the installer shows "
                                             "only those in bitmap and jpeg mode");
    return;
  }
  if (size->width != kPresentationWidth || size->height != kPresentationHeight) {
    findings.warning(where, quoteText(shown) + " is a " + size->format + " of " + std::to_string(size->width) +
                                " x " + std::to_string(size->height) +
                                " pixels; the presentation area is 482 x 272, so it will be stretched");
  }
}

}  // namespace

std::optional<PictureSize> pictureSize(const Bytes& bytes) {
  if (auto size = bmpSize(bytes)) return size;
  return jpegSize(bytes);
}

std::optional<std::size_t> firstNonTextByte(const Bytes& bytes) {
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const std::uint8_t c = bytes[i];
    if (c < 0x20 && c != '\t' && c != '\n' && c != '\f' && c != '\r') return i;
  }
  return std::nullopt;
}

void normaliseText(std::size_t slot, const std::string& shown, Bytes& contents, Findings& findings) {
  if (slot != saverkit::kSlotLicense && slot != saverkit::kSlotReadMe) return;
  if (startsWith(contents, "{\\rtf")) return;
  const std::string where = slotField(slot, "file");
  if (isConvertibleUtf8(contents) && !(slot == saverkit::kSlotReadMe && declaresUtf8(contents))) {
    Conversion conversion = utf8ToWindows1252(contents);
    if (conversion.misfit) {
      findings.error(where, quoteText(shown) + " is UTF-8, and " + *conversion.misfit + " has no place in " +
                                kTargetCodePage + ", the single-byte code page the installer shows it in; "
                                "replace that character, or give the text as RTF");
      return;
    }
    contents = std::move(conversion.text);
    findings.note(where, quoteText(shown) + (conversion.converted == 0
                                                 ? " had a UTF-8 byte order mark, removed (the text is ASCII)"
                                                 : " converted from UTF-8 to " + std::string(kTargetCodePage) + " (" +
                                                       plural(std::int64_t(conversion.converted), "character") +
                                                       " outside ASCII)"));
  }
  if (slot == saverkit::kSlotLicense) {
    if (auto crlf = withCrLfLineEnds(contents)) {
      contents = std::move(*crlf);
      findings.note(where, quoteText(shown) + " line ends converted from LF to CR LF, as the licence box expects");
    }
  }
}

void checkSlotContents(std::size_t slot, const std::string& shown, const Bytes& contents,
                       std::uint8_t presentationMode, Findings& findings) {
  if (slot == saverkit::kSlotEngine && !isWindowsProgram(contents)) {
    findings.warning(slotField(slot, "file"), quoteText(shown) + " is not a Windows program (it has no MZ and PE "
                                                                 "headers), so Windows cannot run it as the screen "
                                                                 "saver; use your .scr, or \"engine\": \"slideshow\"");
  }
  if (slot == saverkit::kSlotLicense || slot == saverkit::kSlotReadMe) {
    checkText(slot, shown, contents, findings);
  } else if (slot == saverkit::kSlotPresentation && (presentationMode == saverkit::kPresentationBitmap ||
                                                     presentationMode == saverkit::kPresentationJpeg)) {
    checkPicture(shown, contents, findings);
  }
}

}  // namespace saverpack
