// Icon reading; see the header. Only the container is read here: a PNG image's size comes from
// its header chunk, and a bitmap image is checked to hold the pixels and mask its header
// promises. The pixels themselves are left to Windows.
#include "icon_file.h"

#include <array>

#include "header_rules.h"
#include "tool_error.h"

namespace saverpack {
namespace {

constexpr std::size_t kIconDirectorySize = 6;
constexpr std::size_t kIconEntrySize = 16;
constexpr std::size_t kGroupEntrySize = 14;
constexpr std::uint32_t kLargestSide = 256;
// Each image costs directory entries in the program's resources beyond its place in the .ico;
// the room keeps space for this many, more than the sizes and colour depths any icon needs.
constexpr std::size_t kMostImages = 32;
constexpr std::array<std::uint8_t, 8> kPngSignature{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
constexpr std::uint16_t kImageResourceType = 3;   // RT_ICON
constexpr std::uint16_t kGroupResourceType = 14;  // RT_GROUP_ICON

std::uint32_t le16(const Bytes& bytes, std::size_t at) {
  return static_cast<std::uint32_t>(bytes[at] | bytes[at + 1] << 8);
}
std::uint32_t le32(const Bytes& bytes, std::size_t at) { return le16(bytes, at) | le16(bytes, at + 2) << 16; }
std::uint32_t be32(const Bytes& bytes, std::size_t at) {
  return static_cast<std::uint32_t>(bytes[at]) << 24 | static_cast<std::uint32_t>(bytes[at + 1]) << 16 |
         static_cast<std::uint32_t>(bytes[at + 2]) << 8 | bytes[at + 3];
}

bool isPng(const Bytes& bytes) {
  return bytes.size() >= kPngSignature.size() && std::equal(kPngSignature.begin(), kPngSignature.end(), bytes.begin());
}

std::string sides(std::uint32_t width, std::uint32_t height) {
  return std::to_string(width) + "x" + std::to_string(height) + " px";
}

class IconReader {
 public:
  explicit IconReader(std::string shown) : shown_(std::move(shown)) {}

  [[noreturn]] void fail(const std::string& why) const { throw invalidInput("icon: " + quoteText(shown_) + " " + why); }

  // Width and height from the PNG's header chunk, which must come first.
  std::pair<std::uint32_t, std::uint32_t> pngSides(const Bytes& png, const std::string& which) const {
    if (png.size() < 25 || be32(png, 8) != 13 || be32(png, 12) != 0x49484452) fail(which + "is a damaged PNG (no header chunk)");
    return {be32(png, 16), be32(png, 20)};
  }

  void checkSides(std::uint32_t width, std::uint32_t height, const std::string& which) const {
    if (width == 0 || height == 0 || width > kLargestSide || height > kLargestSide) {
      fail(which + "is " + sides(width, height) + "; an icon's images are at most 256x256 px (scale it down)");
    }
  }

  // A bitmap image: its header, palette, colour pixels and the one-bit mask below them.
  void checkBitmap(const IconImage& image, const std::string& which) const {
    const Bytes& bitmap = image.data;
    if (bitmap.size() < 40 || le32(bitmap, 0) < 40) fail(which + "is neither a PNG nor a bitmap");
    const std::uint32_t width = le32(bitmap, 4);
    const std::uint32_t doubleHeight = le32(bitmap, 8);
    const std::uint32_t bits = le16(bitmap, 14);
    if (width != image.width || doubleHeight != 2 * image.height) {
      fail(which + "is " + sides(width, doubleHeight / 2) + " but listed as " + sides(image.width, image.height));
    }
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) {
      fail(which + "has " + std::to_string(bits) + " bits per pixel, which no icon has");
    }
    const std::uint64_t paletteColours = bits <= 8 ? (le32(bitmap, 32) != 0 ? le32(bitmap, 32) : 1u << bits) : 0;
    const auto rowBytes = [](std::uint64_t pixels, std::uint64_t depth) { return (pixels * depth + 31) / 32 * 4; };
    const std::uint64_t needed = le32(bitmap, 0) + 4 * paletteColours + rowBytes(width, bits) * image.height +
                                 rowBytes(width, 1) * image.height;
    if (bitmap.size() < needed) {
      fail(which + "is cut short: it has " + std::to_string(bitmap.size()) + " bytes of the " + std::to_string(needed) +
           " its header promises");
    }
  }

  std::vector<IconImage> readIco(const Bytes& file) const {
    if (file.size() < kIconDirectorySize || le16(file, 0) != 0 || le16(file, 2) != 1) {
      fail("is neither an .ico file nor a PNG");
    }
    const std::size_t count = le16(file, 4);
    if (count == 0) fail("holds no images");
    if (count > kMostImages) {
      fail("holds " + std::to_string(count) + " images; an icon here has at most " + std::to_string(kMostImages));
    }
    if (file.size() < kIconDirectorySize + count * kIconEntrySize) fail("is cut short inside its list of images");
    std::vector<IconImage> images;
    for (std::size_t index = 0; index < count; ++index) {
      const std::size_t entry = kIconDirectorySize + index * kIconEntrySize;
      const std::string which = "image " + std::to_string(index + 1) + " ";
      IconImage image;
      image.width = file[entry] == 0 ? kLargestSide : file[entry];
      image.height = file[entry + 1] == 0 ? kLargestSide : file[entry + 1];
      image.colourCount = file[entry + 2];
      image.planes = static_cast<std::uint16_t>(le16(file, entry + 4));
      image.bitCount = static_cast<std::uint16_t>(le16(file, entry + 6));
      const std::uint64_t size = le32(file, entry + 8);
      const std::uint64_t offset = le32(file, entry + 12);
      if (size == 0 || offset + size > file.size()) fail(which + "lies outside the file");
      image.data.assign(file.begin() + static_cast<std::ptrdiff_t>(offset),
                        file.begin() + static_cast<std::ptrdiff_t>(offset + size));
      if (isPng(image.data)) {
        const auto [width, height] = pngSides(image.data, which);
        checkSides(width, height, which);
        if (width != image.width || height != image.height) {
          fail(which + "is " + sides(width, height) + " but listed as " + sides(image.width, image.height));
        }
      } else {
        checkBitmap(image, which);
      }
      images.push_back(std::move(image));
    }
    return images;
  }

  std::vector<IconImage> readPng(const Bytes& file) const {
    const auto [width, height] = pngSides(file, "");
    checkSides(width, height, "");
    if (width != height) fail("is " + sides(width, height) + "; an icon is square (256x256 px shows best)");
    // The one image is every size the icon has, and Wine's icon reader shows nothing for one of
    // 16 bits per channel. In an .ico such an image sits beside smaller ones that Wine does read.
    if (file[24] > 8) {
      fail("has " + std::to_string(file[24]) + " bits per channel; an icon made of one PNG takes 8 (save it as 8-bit RGBA)");
    }
    IconImage image{width, height, 0, 1, 32, file};
    return {image};
  }

 private:
  std::string shown_;
};

}  // namespace

std::vector<IconImage> readIcon(const Bytes& file, const std::string& shown, std::size_t limit) {
  const IconReader reader(shown);
  std::vector<IconImage> images = isPng(file) ? reader.readPng(file) : reader.readIco(file);
  const std::size_t size = iconFile(images).size();
  if (size > limit) {
    reader.fail("takes " + std::to_string(size) + " bytes as an icon; the room for an icon holds " +
                std::to_string(limit) + " bytes (save its large images as PNG, or leave some sizes out)");
  }
  return images;
}

std::vector<Resource> iconResources(const std::vector<IconImage>& images, std::uint16_t groupId,
                                    std::uint16_t language) {
  std::vector<Resource> resources;
  Bytes group;
  put16(group, 0);
  put16(group, 1);
  put16(group, static_cast<std::uint32_t>(images.size()));
  for (std::size_t index = 0; index < images.size(); ++index) {
    const IconImage& image = images[index];
    const auto id = static_cast<std::uint32_t>(index + 1);
    resources.push_back({{kImageResourceType, {}}, {id, {}}, language, 0, image.data});
    group.push_back(static_cast<std::uint8_t>(image.width == kLargestSide ? 0 : image.width));
    group.push_back(static_cast<std::uint8_t>(image.height == kLargestSide ? 0 : image.height));
    group.push_back(image.colourCount);
    group.push_back(0);
    put16(group, image.planes);
    put16(group, image.bitCount);
    put32(group, static_cast<std::uint32_t>(image.data.size()));
    put16(group, id);
  }
  static_assert(kGroupEntrySize == 14, "a group entry is an icon entry with an id for its offset");
  resources.push_back({{kGroupResourceType, {}}, {groupId, {}}, language, 0, std::move(group)});
  return resources;
}

Bytes iconFile(const std::vector<IconImage>& images) {
  Bytes file;
  put16(file, 0);
  put16(file, 1);
  put16(file, static_cast<std::uint32_t>(images.size()));
  std::size_t offset = kIconDirectorySize + images.size() * kIconEntrySize;
  for (const IconImage& image : images) {
    file.push_back(static_cast<std::uint8_t>(image.width == kLargestSide ? 0 : image.width));
    file.push_back(static_cast<std::uint8_t>(image.height == kLargestSide ? 0 : image.height));
    file.push_back(image.colourCount);
    file.push_back(0);
    put16(file, image.planes);
    put16(file, image.bitCount);
    put32(file, static_cast<std::uint32_t>(image.data.size()));
    put32(file, static_cast<std::uint32_t>(offset));
    offset += image.data.size();
  }
  for (const IconImage& image : images) file.insert(file.end(), image.data.begin(), image.data.end());
  return file;
}

}  // namespace saverpack
