// The author's icon and version strings on the stub and the engine: the resource tree written
// back in place, icons checked and limited, the room given up, and builds without the keys left
// exactly as they were.
#include <gtest/gtest.h>

#include "branding.h"
#include "icon_file.h"
#include "package/branding_room.h"
#include "package/package_binding.h"
#include "package/package_format.h"
#include "resource_section.h"
#include "saverpack_fixture.h"
#include "tool_error.h"

namespace saverpack::test {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kResourceFileOffset = 0x800;
constexpr std::uint32_t kResourceAddress = 0x1000;

void put32(Bytes& bytes, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + std::size_t(i)] = static_cast<std::uint8_t>(value >> (8 * i));
}

// A PE32 program whose one section holds `resources` in `capacity` bytes, and the binding place
// the stub has.
Bytes programWithResources(const std::vector<Resource>& resources, std::size_t capacity, std::size_t fileSize) {
  Bytes file = programWithTable(0, 0, fileSize);
  const std::size_t pe = 0x40, optional = pe + 24;
  file[pe + 6] = 1;        // one section
  file[pe + 20] = 0xE0;    // a PE32 optional header with sixteen directories
  const Bytes tree = encodeResources(resources, kResourceAddress);
  put32(file, optional + 96 + 2 * 8, kResourceAddress);
  put32(file, optional + 96 + 2 * 8 + 4, static_cast<std::uint32_t>(tree.size()));
  const std::size_t section = optional + 0xE0;
  std::copy_n(".rsrc", 5, file.begin() + std::ptrdiff_t(section));
  put32(file, section + 8, static_cast<std::uint32_t>(capacity));
  put32(file, section + 12, kResourceAddress);
  put32(file, section + 16, static_cast<std::uint32_t>(capacity));
  put32(file, section + 20, kResourceFileOffset);
  std::copy(tree.begin(), tree.end(), file.begin() + std::ptrdiff_t(kResourceFileOffset));
  addBindingPlace(file);
  return file;
}

Resource resource(std::uint32_t type, std::uint32_t name, const std::string& text, std::uint16_t language = 0x409) {
  return {{type, {}}, {name, {}}, language, 0, bytesOf(text)};
}

Resource room() {
  return {{0, saverkit::kBrandingRoomType}, {saverkit::kBrandingRoomId, {}}, 0x409, 0,
          Bytes(saverkit::kBrandingRoomBytes, 0)};
}

// What a built stub carries: a manifest, an old version record, a string table and the room.
std::vector<Resource> stubResources() {
  return {resource(24, 1, "<assembly/>"), resource(16, 1, std::string(700, 'v')), resource(6, 1, "texts"), room()};
}

std::size_t stubCapacity() {
  std::size_t size = encodeResources(stubResources(), kResourceAddress).size();
  return (size + 511) / 512 * 512;  // a section's file size is whole file-alignment units
}

Bytes pngOf(std::uint32_t width, std::uint32_t height, std::size_t size) {
  Bytes png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13, 'I', 'H', 'D', 'R'};
  for (std::uint32_t side : {width, height}) {
    for (int shift = 24; shift >= 0; shift -= 8) png.push_back(static_cast<std::uint8_t>(side >> shift));
  }
  png.insert(png.end(), {8, 6, 0, 0, 0});  // 8 bits per channel, RGBA
  png.resize(std::max(size, png.size()), 0x5A);
  return png;
}

IconImage bitmapImage(std::uint32_t side, std::uint16_t bits) {
  IconImage image{side, side, 0, 1, bits, Bytes(40, 0)};
  put32(image.data, 0, 40);
  put32(image.data, 4, side);
  put32(image.data, 8, 2 * side);
  image.data[12] = 1;
  image.data[14] = static_cast<std::uint8_t>(bits);
  const std::size_t row = (side * bits + 31) / 32 * 4, maskRow = (side + 31) / 32 * 4;
  image.data.resize(40 + (bits <= 8 ? 4u << bits : 0) + (row + maskRow) * side, 0x11);
  return image;
}

IconImage pngImage(std::uint32_t side, std::size_t size) { return {side, side, 0, 1, 32, pngOf(side, side, size)}; }

// The classic set: 16, 32 and 48 px bitmaps and a compressed 256 px image.
Bytes standardIcon() {
  return iconFile({bitmapImage(16, 32), bitmapImage(32, 32), bitmapImage(48, 8), pngImage(256, 9000)});
}

std::string refusal(const Bytes& file) {
  try {
    readIcon(file, "logo.ico", saverkit::kBrandingIconRoomBytes);
  } catch (const ToolError& error) {
    return error.what();
  }
  return "(accepted)";
}

const Resource* find(const std::vector<Resource>& resources, std::uint32_t type, std::uint32_t name) {
  for (const Resource& each : resources) {
    if (!each.type.named() && each.type.id == type && each.name.id == name) return &each;
  }
  return nullptr;
}

// The UTF-16 text of `text` as a version record carries it.
Bytes utf16Bytes(const std::string& text) {
  Bytes out;
  for (char c : text) out.insert(out.end(), {static_cast<std::uint8_t>(c), 0});
  return out;
}

bool contains(const Bytes& haystack, const Bytes& needle) {
  return std::search(haystack.begin(), haystack.end(), needle.begin(), needle.end()) != haystack.end();
}

TEST(ResourceSection, ReadsBackWhatItWroteWithNamesNumbersAndLanguages) {
  std::vector<Resource> resources = {resource(16, 1, "version"), resource(6, 7, "strings", 0x407),
                                     resource(6, 7, "Zeichen", 0x409), resource(24, 1, "manifest"),
                                     {{0, u"ZED"}, {0, u"NAMED"}, 0, 1252, bytesOf("odd")}, room()};
  const Bytes program = programWithResources(resources, 0x12000, 0x14000);
  const ResourceSection section = readResources(program, "test");
  ASSERT_EQ(section.resources.size(), resources.size());
  // Named types first, then numbers in order; languages in order under one name.
  EXPECT_EQ(section.resources[0].type.name, u"SAVERKIT_ROOM");
  EXPECT_EQ(section.resources[1].type.name, u"ZED");
  EXPECT_EQ(section.resources[1].name.name, u"NAMED");
  EXPECT_EQ(section.resources[1].codePage, 1252u);
  EXPECT_EQ(section.resources[2].language, 0x407);
  EXPECT_EQ(section.resources[2].data, bytesOf("strings"));
  EXPECT_EQ(section.resources[3].data, bytesOf("Zeichen"));
  EXPECT_EQ(section.resources[4].data, bytesOf("version"));
  EXPECT_EQ(section.resources[5].data, bytesOf("manifest"));
  EXPECT_EQ(section.place.capacity, 0x12000u);
}

TEST(ResourceSection, RefusesWhatIsNotAProgramOrHasADamagedTree) {
  Bytes program = programWithResources({resource(16, 1, "version")}, 0x200, 0x1000);
  const auto refused = [](const Bytes& bytes) {
    try {
      readResources(bytes, "stub \"x\"");
    } catch (const ToolError& error) {
      return std::string(error.what());
    }
    return std::string("(read)");
  };
  EXPECT_NE(refused(bytesOf("MZ")).find("not a Windows program"), std::string::npos);
  Bytes pointsOutside = program;
  put32(pointsOutside, kResourceFileOffset + 16 + 4, 0x80000000u | 0x7000);  // the type's subdirectory
  EXPECT_NE(refused(pointsOutside).find("damaged"), std::string::npos);
  Bytes dataOutside = program;
  // The one data entry follows the three directories: its address now lies past the section.
  put32(dataOutside, kResourceFileOffset + 3 * 24, kResourceAddress + 0x1F0);
  put32(dataOutside, kResourceFileOffset + 3 * 24 + 4, 0x20);
  EXPECT_NE(refused(dataOutside).find("data outside the file"), std::string::npos);
  // A cut-short file whose section table still claims the whole section.
  Bytes cutShort = program;
  cutShort.resize(kResourceFileOffset + 0x40);
  EXPECT_NE(refused(cutShort).find("outside its sections or the file"), std::string::npos);
  Bytes noResources = program;
  put32(noResources, 0x40 + 24 + 96 + 16, 0);
  EXPECT_NE(refused(noResources).find("has no resources"), std::string::npos);
}

TEST(IconFile, ReadsAnIcoAndTurnsAPngIntoAOneImageIcon) {
  const auto images = readIcon(standardIcon(), "logo.ico", saverkit::kBrandingIconRoomBytes);
  ASSERT_EQ(images.size(), 4u);
  EXPECT_EQ(images[2].width, 48u);
  EXPECT_EQ(images[2].bitCount, 8);
  EXPECT_EQ(images[3].width, 256u);
  // A 16-bit image beside bitmaps, as ImageMagick writes them, goes in.
  IconImage deep = pngImage(256, 500);
  deep.data[24] = 16;
  EXPECT_EQ(readIcon(iconFile({bitmapImage(32, 32), deep}), "im.ico", saverkit::kBrandingIconRoomBytes).size(), 2u);

  const Bytes png = pngOf(256, 256, 5000);
  const auto fromPng = readIcon(png, "logo.png", saverkit::kBrandingIconRoomBytes);
  ASSERT_EQ(fromPng.size(), 1u);
  EXPECT_EQ(fromPng[0].data, png);  // carried as it is, compressed
  EXPECT_EQ(fromPng[0].bitCount, 32);
  // The group lists the image by its resource number, with 256 written as 0.
  const auto resources = iconResources(fromPng, 1, 0x409);
  ASSERT_EQ(resources.size(), 2u);
  EXPECT_EQ(resources[1].type.id, 14u);
  const Bytes& group = resources[1].data;
  ASSERT_EQ(group.size(), 6u + 14u);
  EXPECT_EQ(group[4], 1);
  EXPECT_EQ(group[6], 0);
  EXPECT_EQ(group[18], 1);  // the image's resource number
}

TEST(IconFile, RefusesDamagedIconsAndOversizedImagesSayingWhy) {
  Bytes mislisted = iconFile({bitmapImage(32, 32)});
  mislisted[6] = 16;
  mislisted[7] = 16;
  Bytes cutShort = iconFile({bitmapImage(32, 32)});
  cutShort.resize(cutShort.size() - 1);
  put32(cutShort, 6 + 8, static_cast<std::uint32_t>(cutShort.size() - 22));
  Bytes outside = iconFile({pngImage(32, 100)});
  put32(outside, 6 + 12, 5000);
  IconImage oddBits = bitmapImage(16, 32);
  oddBits.data[14] = 3;
  std::vector<IconImage> many(33, pngImage(16, 40));
  Bytes sixteenBits = pngOf(64, 64, 100);
  sixteenBits[24] = 16;
  const struct {
    const char* what;
    Bytes file;
    const char* says;
  } cases[] = {
      {"text", bytesOf("not an icon at all"), "neither an .ico file nor a PNG"},
      {"no images", Bytes{0, 0, 1, 0, 0, 0}, "holds no images"},
      {"too many images", iconFile(many), "at most 32"},
      {"listed size differs", mislisted, "listed as 16x16"},
      {"bitmap cut short", cutShort, "cut short"},
      {"image outside", outside, "outside the file"},
      {"odd bit depth", iconFile({oddBits}), "3 bits per pixel"},
      {"PNG image too large", iconFile({{0, 0, 0, 1, 32, pngOf(512, 512, 100)}}), "512x512 px; an icon's images are at most 256x256"},
      {"PNG too large", pngOf(300, 300, 100), "300x300 px"},
      {"PNG not square", pngOf(256, 128, 100), "an icon is square"},
      {"PNG without header", Bytes{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 1, 2}, "damaged PNG"},
      {"16-bit PNG alone", sixteenBits, "16 bits per channel; an icon made of one PNG takes 8"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string message = refusal(c.file);
    EXPECT_EQ(message.rfind("icon: \"logo.ico\"", 0), 0u) << message;
    EXPECT_NE(message.find(c.says), std::string::npos) << message;
  }
}

TEST(IconFile, TheRoomHoldsAnIconOfExactlyItsSizeAndNoMore) {
  // One compressed image whose .ico is exactly the room, then one byte more.
  const std::size_t overhead = 6 + 16;
  const Bytes fits = iconFile({pngImage(256, saverkit::kBrandingIconRoomBytes - overhead)});
  ASSERT_EQ(fits.size(), saverkit::kBrandingIconRoomBytes);
  EXPECT_EQ(refusal(fits), "(accepted)");
  const Bytes tooLarge = iconFile({pngImage(256, saverkit::kBrandingIconRoomBytes - overhead + 1)});
  const std::string message = refusal(tooLarge);
  EXPECT_NE(message.find("takes 65537 bytes as an icon; the room for an icon holds 65536 bytes"), std::string::npos)
      << message;
  // A PNG given alone is weighed as the icon it becomes.
  EXPECT_NE(refusal(pngOf(256, 256, saverkit::kBrandingIconRoomBytes)).find("the room for an icon holds 65536"),
            std::string::npos);
}

TEST(Branding, NumericVersionTakesTheLeadingNumbers) {
  const struct {
    const char* text;
    std::array<std::uint16_t, 4> numbers;
  } cases[] = {{"2.1.7", {2, 1, 7, 0}}, {"1.2.3.4.5", {1, 2, 3, 4}}, {"2.0 beta", {2, 0, 0, 0}},
               {"beta", {0, 0, 0, 0}}, {"70000.1", {0, 0, 0, 0}}, {"3.x", {3, 0, 0, 0}}, {"", {0, 0, 0, 0}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(numericVersion(c.text), c.numbers);
  }
}

TEST(Branding, TextsUpToTheLimitFitAndOneMoreIsRefusedNamingTheKeyAndLimit) {
  Branding branding;
  branding.publisher = std::string(saverkit::kBrandingMaxTextLength, 'P');
  // Characters, not bytes: 128 accented letters are 256 bytes of UTF-8.
  std::string accented;
  for (std::size_t i = 0; i < saverkit::kBrandingMaxTextLength; ++i) accented += "\xC3\xA9";
  branding.version = accented;
  EXPECT_NO_THROW(installerBrand("Ocean", branding, {}));
  branding.publisher += "P";
  try {
    installerBrand("Ocean", branding, {});
    ADD_FAILURE() << "a 129-character publisher was accepted";
  } catch (const ToolError& error) {
    EXPECT_EQ(std::string(error.what()), "publisher: 129 characters; the version record keeps room for 128");
  }
  branding.publisher = "P";
  branding.version += "\xC3\xA9";
  EXPECT_THROW(engineBrand("Ocean", branding, {}), ToolError);
}

TEST(Branding, TheRoomMakesWayForTheIconAndVersionAndTheRestStaysAsItWas) {
  Bytes program = programWithResources(stubResources(), stubCapacity(), 0x20000);
  Branding branding{"Ana Lima Fotografia", "2.1", "https://example.com", "logo.ico"};
  const auto icon = readIcon(standardIcon(), "logo.ico", saverkit::kBrandingIconRoomBytes);
  brandProgram(program, installerBrand("Ocean Waves", branding, icon), "stub");
  ASSERT_EQ(program.size(), 0x20000u);
  const auto resources = readResources(program, "stub").resources;
  for (const Resource& each : resources) EXPECT_NE(each.type.name, saverkit::kBrandingRoomType);
  ASSERT_NE(find(resources, 24, 1), nullptr);
  EXPECT_EQ(find(resources, 24, 1)->data, bytesOf("<assembly/>"));
  EXPECT_EQ(find(resources, 6, 1)->data, bytesOf("texts"));
  ASSERT_NE(find(resources, 14, saverkit::kBrandingIconGroupId), nullptr);
  for (std::uint32_t id = 1; id <= 4; ++id) EXPECT_EQ(find(resources, 3, id)->data, icon[id - 1].data);
  const Resource* version = find(resources, 16, 1);
  ASSERT_NE(version, nullptr);
  EXPECT_EQ(version->language, 0x409);
  for (const char* text : {"Ana Lima Fotografia", "Ocean Waves Setup", "2.1", "CompanyName", "ProductVersion"}) {
    SCOPED_TRACE(text);
    EXPECT_TRUE(contains(version->data, utf16Bytes(text)));
  }
  // The record's own length, and the fixed part's signature and numeric version 2.1.0.0.
  EXPECT_EQ(version->data[0] | version->data[1] << 8, static_cast<int>(version->data.size()));
  EXPECT_TRUE(contains(version->data, Bytes{0xBD, 0x04, 0xEF, 0xFE, 0, 0, 1, 0, 1, 0, 2, 0, 0, 0, 0, 0}));
}

TEST(Branding, TheLargestIconAndLongestTextsFitTheRoomButNotAProgramWithoutIt) {
  // Thirty-two images whose .ico fills the icon room exactly, and every text at its limit.
  std::vector<IconImage> images(32, pngImage(64, 0));
  const std::size_t each = (saverkit::kBrandingIconRoomBytes - 6 - 16 * 32) / 32;
  for (IconImage& image : images) image.data = pngOf(64, 64, each);
  images.back().data = pngOf(64, 64, saverkit::kBrandingIconRoomBytes - 6 - 16 * 32 - 31 * each);
  ASSERT_EQ(readIcon(iconFile(images), "big.ico", saverkit::kBrandingIconRoomBytes).size(), 32u);
  Branding branding{std::string(128, 'P'), std::string(128, '9'), "", "big.ico"};
  const ProgramBrand brand = installerBrand(std::string(64, 'N'), branding, images);
  Bytes program = programWithResources(stubResources(), stubCapacity(), 0x20000);
  EXPECT_NO_THROW(brandProgram(program, brand, "stub"));

  std::vector<Resource> withoutRoom = stubResources();
  withoutRoom.pop_back();
  Bytes old = programWithResources(withoutRoom, 0x400, 0x20000);
  const Bytes before = old;
  try {
    brandProgram(old, brand, "stub \"old.exe\"");
    ADD_FAILURE() << "branded a program without room";
  } catch (const ToolError& error) {
    EXPECT_NE(std::string(error.what()).find("stub \"old.exe\" (built without room for an icon and version strings: use "
                                             "the one that came with this saverpack): its resources would take "),
              std::string::npos);
    EXPECT_NE(std::string(error.what()).find("bytes; its resource section holds 1024"), std::string::npos);
  }
  EXPECT_EQ(old, before);
}

class BrandedBuildTest : public SaverpackTest {
 protected:
  void SetUp() override {
    SaverpackTest::SetUp();
    writeFixtureFiles();
    write("saverstub.exe", programWithResources(stubResources(), stubCapacity(),
                                                static_cast<std::size_t>(saverkit::kInstallerSizeInBytes)));
    write("slideshow.scr", programWithResources(stubResources(), stubCapacity(), 0x18000));
    write("logo.ico", standardIcon());
  }

  Json manifest() const {
    Json json = standardManifest(false);
    json["slots"].erase("6");
    json["engine"] = "slideshow";
    return json;
  }

  static Bytes stubOf(const Bytes& installer) { return Bytes(installer.begin(), installer.begin() + 690176); }
  static Bytes engineOf(const Bytes& installer) {
    const auto header = saverkit::decodePackageHeader(installer.data() + 690176, installer.size() - 690176);
    const auto& entry = header->entries[saverkit::kSlotEngine];
    return Bytes(installer.begin() + entry.startOffset, installer.begin() + entry.endOffset + 1);
  }
};

TEST_F(BrandedBuildTest, BrandsTheStubAndTheReferenceEngineAndTheInstallerStillVerifies) {
  Json json = manifest();
  json["publisher"] = "Ana Lima";
  json["version"] = "3.0";
  json["icon"] = "logo.ico";
  const Bytes installer = build(json);
  const auto stub = readResources(stubOf(installer), "stub").resources;
  EXPECT_NE(find(stub, 14, 1), nullptr);
  EXPECT_TRUE(contains(find(stub, 16, 1)->data, utf16Bytes("Ocean Waves Setup")));
  const auto engine = readResources(engineOf(installer), "engine").resources;
  EXPECT_NE(find(engine, 14, 1), nullptr);
  EXPECT_TRUE(contains(find(engine, 16, 1)->data, utf16Bytes("Ana Lima")));
  EXPECT_FALSE(contains(find(engine, 16, 1)->data, utf16Bytes("Ocean Waves Setup")));
  // The binding covers the package only, so the branded stub still carries a matching digest.
  write("built.exe", installer);
  const CliResult verified = run({"verify", path("built.exe").string()});
  EXPECT_EQ(verified.code, 0) << verified.out << verified.err;
}

TEST_F(BrandedBuildTest, WithoutPublisherVersionOrIconTheProgramsGoOutAsBuilt) {
  Json json = manifest();
  json["website"] = "https://example.com";  // for the uninstall entry only
  const Bytes installer = build(json);
  Bytes stub = readWholeFile(path("saverstub.exe"));
  const Bytes built = stubOf(installer);
  const auto place = saverkit::findBindingRecord(stub.data(), stub.size());
  ASSERT_TRUE(place);
  std::copy_n(built.begin() + std::ptrdiff_t(*place), saverkit::kBindingRecordSize, stub.begin() + std::ptrdiff_t(*place));
  EXPECT_EQ(built, stub);
  EXPECT_EQ(engineOf(installer), readWholeFile(path("slideshow.scr")));
}

TEST_F(BrandedBuildTest, ManifestKeysAreCheckedAndAMissingIconIsNamed) {
  const struct {
    const char* key;
    Json value;
    const char* says;
  } cases[] = {{"publisher", "", "publisher: is empty"},
               {"version", 3, "version: must be a string"},
               {"website", "www.example.com", "must start with https:// or http://"},
               {"icon", "missing.png", "icon: no such file"},
               {"icon", "LICENSE.txt", "is neither an .ico file nor a PNG"},
               {"publsher", "Ana", "did you mean publisher?"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.key);
    Json json = manifest();
    json[c.key] = c.value;
    const CliResult result = run({"build", writeManifest(json).string(), "-o", path("out.exe").string(),
                                  "--stub", path("saverstub.exe").string()});
    EXPECT_EQ(result.code, 1);
    EXPECT_NE(result.err.find(c.says), std::string::npos) << result.err;
  }
}

}  // namespace
}  // namespace saverpack::test
