// Branding the stub and the engine; see the header.
#include "branding.h"

#include <algorithm>

#include "header_rules.h"
#include "package/branding_room.h"
#include "tool_error.h"

namespace saverpack {
namespace {

constexpr std::uint32_t kVersionResourceType = 16;  // RT_VERSION
constexpr std::uint32_t kImageResourceType = 3;      // RT_ICON
constexpr std::uint32_t kGroupResourceType = 14;     // RT_GROUP_ICON
constexpr std::uint16_t kUsEnglish = 0x0409;
constexpr std::uint16_t kUnicodeCodePage = 1200;

// Manifest strings are valid UTF-8 (the JSON reader checks), so this only regroups the bits.
std::u16string utf16(const std::string& text) {
  std::u16string out;
  for (std::size_t at = 0; at < text.size();) {
    const auto lead = static_cast<unsigned char>(text[at]);
    const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    char32_t point = length == 1 ? lead : lead & (0x3F >> (length - 1));
    for (std::size_t index = 1; index < length && at + index < text.size(); ++index) {
      point = point << 6 | (static_cast<unsigned char>(text[at + index]) & 0x3F);
    }
    at += length;
    if (point >= 0x10000) {
      out.push_back(static_cast<char16_t>(0xD800 + ((point - 0x10000) >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + ((point - 0x10000) & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(point));
    }
  }
  return out;
}

void padToFour(Bytes& out) {
  while (out.size() % 4 != 0) out.push_back(0);
}

// One block of a version record: its length, its value's length (in characters for text), its
// kind, its key, its value and its children, each aligned to four bytes.
struct Block {
  std::u16string key;
  Bytes value;
  bool text = false;
  std::vector<Block> children;
};

Bytes encodeBlock(const Block& block) {
  Bytes out(6, 0);
  for (char16_t unit : block.key) put16(out, unit);
  put16(out, 0);
  padToFour(out);
  out.insert(out.end(), block.value.begin(), block.value.end());
  for (const Block& child : block.children) {
    padToFour(out);
    const Bytes encoded = encodeBlock(child);
    out.insert(out.end(), encoded.begin(), encoded.end());
  }
  const std::size_t valueLength = block.text ? block.value.size() / 2 : block.value.size();
  out[0] = static_cast<std::uint8_t>(out.size());
  out[1] = static_cast<std::uint8_t>(out.size() >> 8);
  out[2] = static_cast<std::uint8_t>(valueLength);
  out[3] = static_cast<std::uint8_t>(valueLength >> 8);
  out[4] = block.text || block.value.empty() ? 1 : 0;  // text, or a block of blocks
  return out;
}

Block textBlock(const std::string& key, const std::string& value) {
  Block block{utf16(key), {}, true, {}};
  for (char16_t unit : utf16(value)) put16(block.value, unit);
  put16(block.value, 0);
  return block;
}

void checkLength(const char* key, const std::string& value) {
  const std::size_t length = utf16(value).size();
  if (length > saverkit::kBrandingMaxTextLength) {
    throw invalidInput(std::string(key) + ": " + std::to_string(length) + " characters; the version record keeps room for " +
                       std::to_string(saverkit::kBrandingMaxTextLength));
  }
}

ProgramBrand brandFor(const std::string& description, const std::string& saverName, const Branding& branding,
                      std::vector<IconImage> icon) {
  checkLength("publisher", branding.publisher);
  checkLength("version", branding.version);
  ProgramBrand brand;
  brand.icon = std::move(icon);
  if (!branding.publisher.empty()) brand.strings.emplace_back("CompanyName", branding.publisher);
  brand.strings.emplace_back("FileDescription", description);
  if (!branding.version.empty()) brand.strings.emplace_back("FileVersion", branding.version);
  brand.strings.emplace_back("ProductName", saverName);
  if (!branding.version.empty()) brand.strings.emplace_back("ProductVersion", branding.version);
  brand.version = numericVersion(branding.version);
  return brand;
}

bool isType(const Resource& resource, std::uint32_t type) { return !resource.type.named() && resource.type.id == type; }

}  // namespace

bool wantsBranding(const Branding& branding) {
  return !branding.publisher.empty() || !branding.version.empty() || !branding.icon.empty();
}

ProgramBrand installerBrand(const std::string& saverName, const Branding& branding, std::vector<IconImage> icon) {
  return brandFor(saverName + " Setup", saverName, branding, std::move(icon));
}

ProgramBrand engineBrand(const std::string& saverName, const Branding& branding, std::vector<IconImage> icon) {
  return brandFor(saverName, saverName, branding, std::move(icon));
}

std::vector<IconImage> loadBrandingIcon(const std::filesystem::path& icon, const std::string& shown) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(icon, error)) throw invalidInput("icon: no such file " + quoteText(shown));
  return readIcon(readWholeFile(icon), shown, saverkit::kBrandingIconRoomBytes);
}

std::array<std::uint16_t, 4> numericVersion(const std::string& version) {
  std::array<std::uint16_t, 4> numbers{};
  std::size_t at = 0;
  for (std::size_t part = 0; part < numbers.size(); ++part) {
    std::uint32_t value = 0;
    const std::size_t start = at;
    while (at < version.size() && version[at] >= '0' && version[at] <= '9' && at - start < 5) {
      value = value * 10 + static_cast<std::uint32_t>(version[at++] - '0');
    }
    if (at == start || value > 0xFFFF) break;
    numbers[part] = static_cast<std::uint16_t>(value);
    if (at >= version.size() || version[at] != '.') break;
    ++at;
  }
  return numbers;
}

Bytes versionRecord(const ProgramBrand& brand) {
  Bytes fixed;
  put32(fixed, 0xFEEF04BD);  // the fixed record's signature
  put32(fixed, 0x00010000);  // its layout version
  const auto& v = brand.version;
  for (int twice = 0; twice < 2; ++twice) {  // file version, then product version
    put32(fixed, static_cast<std::uint32_t>(v[0]) << 16 | v[1]);
    put32(fixed, static_cast<std::uint32_t>(v[2]) << 16 | v[3]);
  }
  put32(fixed, 0x3F);     // flags that mean something
  put32(fixed, 0);        // none set: a release build
  put32(fixed, 0x40004);  // for 32-bit Windows NT
  put32(fixed, 1);        // an application
  put32(fixed, 0);
  put32(fixed, 0);  // no file date
  put32(fixed, 0);

  Block table{u"040904B0", {}, false, {}};
  for (const auto& [key, value] : brand.strings) table.children.push_back(textBlock(key, value));
  Block translation{u"Translation", {}, false, {}};
  put16(translation.value, kUsEnglish);
  put16(translation.value, kUnicodeCodePage);
  Block root{u"VS_VERSION_INFO", fixed, false, {}};
  root.children.push_back(Block{u"StringFileInfo", {}, false, {table}});
  root.children.push_back(Block{u"VarFileInfo", {}, false, {translation}});
  return encodeBlock(root);
}

void brandProgram(Bytes& program, const ProgramBrand& brand, const std::string& what) {
  ResourceSection section = readResources(program, what);
  std::uint16_t language = kUsEnglish;
  for (const Resource& resource : section.resources) {
    if (isType(resource, kVersionResourceType)) language = resource.language;
  }
  auto& resources = section.resources;
  const bool hasRoom = std::any_of(resources.begin(), resources.end(), [](const Resource& resource) {
    return resource.type.name == saverkit::kBrandingRoomType;
  });
  resources.erase(std::remove_if(resources.begin(), resources.end(),
                                 [&](const Resource& resource) {
                                   return resource.type.name == saverkit::kBrandingRoomType ||
                                          isType(resource, kVersionResourceType) ||
                                          (!brand.icon.empty() && (isType(resource, kImageResourceType) ||
                                                                   isType(resource, kGroupResourceType)));
                                 }),
                  resources.end());
  resources.push_back({{kVersionResourceType, {}}, {1, {}}, language, 0, versionRecord(brand)});
  if (!brand.icon.empty()) {
    for (Resource& icon : iconResources(brand.icon, saverkit::kBrandingIconGroupId, language)) {
      resources.push_back(std::move(icon));
    }
  }
  writeResources(program, section.place, resources,
                 hasRoom ? what : what + " (built without room for an icon and version strings: use the one that came with this saverpack)");
}

}  // namespace saverpack
