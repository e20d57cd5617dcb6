// The extension block; see the header.
#include "package/package_extension.h"

#include <set>
#include <stdexcept>
#include <string_view>

#include "common/text_helpers.h"

namespace saverkit {
namespace {

constexpr std::string_view kFirstLine = "saverkit-extension=1";

// Well-formed UTF-8 without control characters: it goes into the registry and before the user.
bool plainText(std::string_view text) {
  for (std::size_t at = 0; at < text.size();) {
    const auto lead = static_cast<std::uint8_t>(text[at]);
    std::size_t length = lead < 0x80 ? 1 : (lead & 0xE0) == 0xC0 ? 2 : (lead & 0xF0) == 0xE0 ? 3 : (lead & 0xF8) == 0xF0 ? 4 : 0;
    if (length == 0 || (length == 2 && lead < 0xC2) || at + length > text.size()) return false;
    if (length == 1 && (lead < 0x20 || lead == 0x7F)) return false;
    std::uint32_t code = length == 1 ? lead : lead & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i) {
      const auto next = static_cast<std::uint8_t>(text[at + i]);
      if ((next & 0xC0) != 0x80) return false;
      code = (code << 6) | (next & 0x3F);
    }
    // Overlong forms, surrogates and code points past Unicode's end are not text.
    if ((length == 3 && code < 0x800) || (length == 4 && (code < 0x10000 || code > 0x10FFFF)) ||
        (code >= 0xD800 && code <= 0xDFFF) || (code >= 0x80 && code < 0xA0)) {
      return false;
    }
    at += length;
  }
  return true;
}

bool webAddress(std::string_view text) {
  const std::string lowered = toLowerAscii(text);
  return (lowered.rfind("https://", 0) == 0 && lowered.size() > 8) || (lowered.rfind("http://", 0) == 0 && lowered.size() > 7);
}

}  // namespace

std::optional<PackageExtension> parseExtensionBlock(const std::uint8_t* data, std::size_t size) {
  if (data == nullptr || size > kMaxExtensionBlockSize) return std::nullopt;
  std::string_view text(reinterpret_cast<const char*>(data), size);
  PackageExtension extension;
  std::set<std::string, std::less<>> seen;
  bool first = true;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (first) {
      if (line != kFirstLine) return std::nullopt;
      first = false;
      continue;
    }
    if (line.empty()) continue;
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos || equals == 0) return std::nullopt;
    const std::string_view key = line.substr(0, equals), value = line.substr(equals + 1);
    if (!plainText(line) || value.size() > kMaxExtensionValueSize || !seen.emplace(key).second) return std::nullopt;
    if (key == "flash-player") extension.needsNoFlashPlayer = value == "none";
    if (key == "finish-without-launcher") extension.finishWithoutLauncher = value == "yes";
    if (key == "publisher") extension.publisher = value;
    if (key == "version") extension.version = value;
    if (key == "website" && webAddress(value)) extension.website = value;
    if (key == "estimated-size-kb") {
      const auto number = value.empty() || value[0] == '+' || value[0] == '-' ? std::nullopt : parseDecimalInt32(value);
      if (!number) return std::nullopt;
      extension.estimatedSizeKb = *number;
    }
  }
  if (first) return std::nullopt;
  return extension;
}

std::string encodeExtensionBlock(const PackageExtension& extension) {
  std::string block(kFirstLine);
  block += '\n';
  const auto add = [&block](const char* key, const std::string& value) {
    if (value.empty()) return;
    if (!plainText(value) || value.size() > kMaxExtensionValueSize) {
      throw std::invalid_argument(std::string(key) + ": not plain text of at most 255 bytes");
    }
    block += key;
    block += '=';
    block += value;
    block += '\n';
  };
  if (extension.needsNoFlashPlayer) add("flash-player", "none");
  if (extension.finishWithoutLauncher) add("finish-without-launcher", "yes");
  add("publisher", extension.publisher);
  add("version", extension.version);
  if (!extension.website.empty() && !webAddress(extension.website)) {
    throw std::invalid_argument("website: not an http:// or https:// address");
  }
  add("website", extension.website);
  if (extension.estimatedSizeKb > 0) add("estimated-size-kb", std::to_string(extension.estimatedSizeKb));
  return block;
}

}  // namespace saverkit
