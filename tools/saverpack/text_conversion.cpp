// Text conversions; see the header.
#include "text_conversion.h"

#include <cstdio>

namespace saverpack {
namespace {

// Windows-1252 puts these characters where ISO 8859-1 has its C1 controls (0x80 to 0x9F); the
// five codes it leaves unassigned stay 0.
constexpr std::uint32_t kHighControls[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

std::optional<std::uint8_t> windows1252Byte(std::uint32_t codePoint) {
  if (codePoint < 0x80 || (codePoint >= 0xA0 && codePoint <= 0xFF)) return static_cast<std::uint8_t>(codePoint);
  for (std::size_t i = 0; i < 32; ++i) {
    if (kHighControls[i] != 0 && kHighControls[i] == codePoint) return static_cast<std::uint8_t>(0x80 + i);
  }
  return std::nullopt;
}

// Decodes one UTF-8 sequence at `at`; nothing for a malformed, overlong or surrogate one.
std::optional<std::uint32_t> decodeUtf8(const Bytes& bytes, std::size_t& at) {
  const std::uint8_t lead = bytes[at];
  const int extra = lead < 0x80 ? 0 : (lead & 0xE0) == 0xC0 ? 1 : (lead & 0xF0) == 0xE0 ? 2 : (lead & 0xF8) == 0xF0 ? 3 : -1;
  if (extra < 0 || at + std::size_t(extra) >= bytes.size()) return std::nullopt;
  std::uint32_t value = extra == 0 ? lead : lead & (0x3F >> extra);
  for (int i = 1; i <= extra; ++i) {
    const std::uint8_t next = bytes[at + std::size_t(i)];
    if ((next & 0xC0) != 0x80) return std::nullopt;
    value = value << 6 | (next & 0x3F);
  }
  static constexpr std::uint32_t kSmallest[] = {0, 0x80, 0x800, 0x10000};
  if (value < kSmallest[extra] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return std::nullopt;
  at += std::size_t(extra) + 1;
  return value;
}

bool hasByteOrderMark(const Bytes& bytes) {
  return bytes.size() >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF;
}

std::string describe(const Bytes& bytes, std::size_t start, std::size_t end, std::uint32_t codePoint, int line) {
  char code[16];
  std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(codePoint));
  // A control character would print as nothing, or worse: its code says enough.
  const std::string shown = codePoint < 0xA0 ? std::string()
                                             : "\"" + std::string(bytes.begin() + std::ptrdiff_t(start),
                                                                bytes.begin() + std::ptrdiff_t(end)) + "\" ";
  return shown + "(" + code + ", line " + std::to_string(line) + ")";
}

}  // namespace

bool isConvertibleUtf8(const Bytes& bytes) {
  if (hasByteOrderMark(bytes)) return true;
  bool beyondAscii = false;
  for (std::size_t at = 0; at < bytes.size();) {
    const auto codePoint = decodeUtf8(bytes, at);
    if (!codePoint) return false;
    beyondAscii = beyondAscii || *codePoint >= 0x80;
  }
  return beyondAscii;
}

Conversion utf8ToWindows1252(const Bytes& bytes) {
  Conversion result;
  int line = 1;
  for (std::size_t at = hasByteOrderMark(bytes) ? 3 : 0; at < bytes.size();) {
    const std::size_t start = at;
    const auto codePoint = decodeUtf8(bytes, at);
    if (!codePoint) {
      // Only a byte order mark can bring a file here: it says UTF-8, and this byte is not.
      result.misfit = "a byte that is not UTF-8 (at offset " + std::to_string(start) +
                      ", after a UTF-8 byte order mark: the file mixes two encodings)";
      return result;
    }
    const auto byte = windows1252Byte(*codePoint);
    if (!byte) {
      result.misfit = describe(bytes, start, at, *codePoint, line);
      return result;
    }
    line += *codePoint == '\n';
    result.converted += *codePoint >= 0x80;
    result.text.push_back(*byte);
  }
  return result;
}

std::optional<Bytes> withCrLfLineEnds(const Bytes& bytes) {
  Bytes out;
  bool changed = false;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '\n' && (i == 0 || bytes[i - 1] != '\r')) {
      out.push_back('\r');
      changed = true;
    }
    out.push_back(bytes[i]);
  }
  if (!changed) return std::nullopt;
  return out;
}

}  // namespace saverpack
