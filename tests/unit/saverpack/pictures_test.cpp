// Photos as saverpack packs them: prepared for the screen under a "pictures" section, warned
// about when they carry GPS without one, desktop leftovers left out and non-ASCII names spelt
// in ASCII on request. The photos are made here, their EXIF block written by hand so that each
// tag is known.
#include <gtest/gtest.h>

#include <vips/vips.h>

#include <algorithm>
#include <map>

#include "content_names.h"
#include "exif.h"
#include "package_reader.h"
#include "photo_metadata.h"
#include "picture_preparation.h"
#include "saverpack_fixture.h"

namespace saverpack::test {
namespace {

namespace fs = std::filesystem;

constexpr const char* kDate = "2024:07:14 18:30:05";

// A little-endian TIFF block: IFD0 (orientation, Exif and GPS pointers), the Exif directory
// (date, body serial number) and the GPS directory, holding `gpsTag` (2 is the latitude; 0, the
// version, is all some cameras write with location off). No GPS directory when `gpsTag` < 0.
Bytes exifSegment(int orientation, int gpsTag) {
  Bytes tiff = {'I', 'I', 42, 0, 8, 0, 0, 0};
  const auto put16 = [&](std::uint32_t v) { tiff.insert(tiff.end(), {std::uint8_t(v), std::uint8_t(v >> 8)}); };
  const auto put32 = [&](std::uint32_t v) { put16(v & 0xFFFF); put16(v >> 16); };
  const auto entry = [&](std::uint32_t tag, std::uint32_t type, std::uint32_t count, std::uint32_t value) {
    put16(tag), put16(type), put32(count), put32(value);
  };
  const std::uint32_t ifd0Entries = gpsTag >= 0 ? 3 : 2, exifAt = 8 + 2 + 12 * ifd0Entries + 4,
                      gpsAt = exifAt + 2 + 24 + 4, dateAt = gpsAt + 2 + 12 + 4;
  put16(ifd0Entries);
  entry(0x0112, 3, 1, std::uint32_t(orientation));
  entry(0x8769, 4, 1, exifAt);
  if (gpsTag >= 0) entry(0x8825, 4, 1, gpsAt);
  put32(0);
  put16(2);
  entry(0x9003, 2, 20, dateAt);
  entry(0xA431, 2, 4, 0x00333231);  // "123"
  put32(0);
  put16(1);
  entry(std::uint32_t(std::max(gpsTag, 0)), 5, 3, dateAt + 20);  // three rationals: degrees, minutes, seconds
  put32(0);
  tiff.insert(tiff.end(), kDate, kDate + 20);
  tiff.resize(tiff.size() + 24, 1);
  Bytes segment = {0xFF, 0xE1, std::uint8_t((tiff.size() + 8) >> 8), std::uint8_t(tiff.size() + 8), 'E', 'x', 'i', 'f', 0, 0};
  segment.insert(segment.end(), tiff.begin(), tiff.end());
  return segment;
}

// Left half red, right half blue, saved by the picture library with no metadata; then the EXIF
// segment, when given, right after the start marker.
Bytes photo(int width, int height, const char* format, const Bytes& exif = {}) {
  std::vector<std::uint8_t> pixels(std::size_t(width) * height * 3);
  for (std::size_t at = 0; at < pixels.size(); at += 3) {
    const bool left = int(at / 3 % std::size_t(width)) < width / 2;
    pixels[at] = left ? 255 : 0;
    pixels[at + 2] = left ? 0 : 255;
  }
  VipsImage* image = vips_image_new_from_memory_copy(pixels.data(), pixels.size(), width, height, 3, VIPS_FORMAT_UCHAR);
  void* buffer = nullptr;
  std::size_t length = 0;
  EXPECT_EQ(vips_image_write_to_buffer(image, format, &buffer, &length, "strip", TRUE, nullptr), 0);
  g_object_unref(image);
  Bytes out(static_cast<std::uint8_t*>(buffer), static_cast<std::uint8_t*>(buffer) + length);
  g_free(buffer);
  if (!exif.empty()) out.insert(out.begin() + 2, exif.begin(), exif.end());
  return out;
}

struct Decoded {
  int width = 0, height = 0;
  std::vector<std::uint8_t> pixels;
  int red(int x, int y) const { return pixels[(std::size_t(y) * width + x) * 3]; }
  int blue(int x, int y) const { return pixels[(std::size_t(y) * width + x) * 3 + 2]; }
};

Decoded decode(const Bytes& bytes) {
  Decoded decoded;
  VipsImage* image = vips_image_new_from_buffer(bytes.data(), bytes.size(), "", nullptr);
  if (image == nullptr) return decoded;
  decoded.width = image->Xsize;
  decoded.height = image->Ysize;
  std::size_t size = 0;
  void* memory = vips_image_write_to_memory(image, &size);
  decoded.pixels.assign(static_cast<std::uint8_t*>(memory), static_cast<std::uint8_t*>(memory) + size);
  g_free(memory);
  g_object_unref(image);
  return decoded;
}

class PicturesTest : public SaverpackTest {
 protected:
  void SetUp() override {
    SaverpackTest::SetUp();
    ASSERT_EQ(VIPS_INIT("saverpack_tests"), 0);
    writeFixtureFiles();
    fs::remove_all(path("content"));
  }

  Json manifestWith(std::optional<Json> pictures) const {
    Json manifest = standardManifest(false);
    if (pictures) manifest["pictures"] = *pictures;
    return manifest;
  }

  CliResult buildWith(const Json& manifest, std::vector<std::string> extra = {}) const {
    std::vector<std::string> args = {"build", writeManifest(manifest).u8string(), "-o", path("Setup.exe").u8string(),
                                     "--no-progress"};
    args.insert(args.end(), extra.begin(), extra.end());
    return run(args);
  }

  // The data file's items by path, from the installer just built.
  std::map<std::string, Bytes> packedItems() const {
    const PackageReport report = readPackage(readWholeFile(path("Setup.exe")), {false, true});
    std::map<std::string, Bytes> items;
    if (report.data) {
      for (const ItemReport& item : report.data->items) items[item.record.path] = item.contents;
    }
    return items;
  }
};

TEST_F(PicturesTest, PhotoWithGpsAndOrientation6ComesOutUprightSmallerAndWithoutGps) {
  const Bytes original = photo(400, 200, ".jpg", exifSegment(6, 2));
  ASSERT_TRUE(readPhotoMetadata(original).gps);
  write("content/sea.jpg", original);
  const CliResult result = buildWith(manifestWith(Json{{"longestEdge", 100}}));
  ASSERT_EQ(result.code, 0) << result.err;
  EXPECT_NE(result.out.find("pictures: 1 photo prepared for the screen, "), std::string::npos)
      << result.out;

  const Bytes packed = packedItems().at("sea.jpg");
  const Decoded upright = decode(packed);
  // Turned a quarter clockwise: the stored left half (red) is now the top.
  ASSERT_EQ(upright.width, 50);
  ASSERT_EQ(upright.height, 100);
  EXPECT_GT(upright.red(25, 10) - upright.blue(25, 10), 128);
  EXPECT_GT(upright.blue(25, 90) - upright.red(25, 90), 128);

  const PhotoMetadata metadata = readPhotoMetadata(packed);
  EXPECT_FALSE(metadata.gps);
  EXPECT_FALSE(metadata.identifying);
  EXPECT_EQ(metadata.orientation, 1);
  // The engine still finds the date for its caption.
  const auto date = saverkit::slideshow::exifDateTaken(packed.data(), packed.size());
  ASSERT_TRUE(date);
  EXPECT_EQ(date->year, 2024);
  EXPECT_EQ(date->month, 7);
  EXPECT_EQ(date->day, 14);
  EXPECT_EQ(saverkit::slideshow::exifOrientation(packed.data(), packed.size()), 1);
}

TEST_F(PicturesTest, OnlyWhatNeedsPreparingIsTouched) {
  const Bytes smallClean = photo(100, 80, ".jpg");
  const Bytes exactlyTheEdge = photo(100, 60, ".png");
  const Bytes largePng = photo(101, 40, ".png");
  const Bytes smallWithSerial = photo(60, 60, ".jpg", exifSegment(1, -1));
  const Bytes notAPicture = bytesOf("not a picture, though named like one");
  write("content/clean.jpg", smallClean);
  write("content/edge.png", exactlyTheEdge);
  write("content/large.png", largePng);
  write("content/serial.jpg", smallWithSerial);
  write("content/odd.jpg", notAPicture);
  const CliResult result = buildWith(manifestWith(Json{{"longestEdge", 100}, {"quality", 80}}));
  ASSERT_EQ(result.code, 0) << result.err;
  EXPECT_NE(result.out.find("2 photos prepared"), std::string::npos) << result.out;

  const auto items = packedItems();
  EXPECT_EQ(items.at("clean.jpg"), smallClean);
  EXPECT_EQ(items.at("edge.png"), exactlyTheEdge);
  EXPECT_EQ(items.at("odd.jpg"), notAPicture);
  const Decoded large = decode(items.at("large.png"));
  EXPECT_EQ(large.width, 100);
  EXPECT_NEAR(large.height, 40, 1);
  const Bytes& serial = items.at("serial.jpg");
  EXPECT_EQ(decode(serial).width, 60);
  EXPECT_FALSE(readPhotoMetadata(serial).identifying);
  EXPECT_EQ(readPhotoMetadata(serial).dateTaken, kDate);
  // Prepared photos keep builds reproducible.
  const Bytes first = readWholeFile(path("Setup.exe"));
  ASSERT_EQ(buildWith(manifestWith(Json{{"longestEdge", 100}, {"quality", 80}})).code, 0);
  EXPECT_EQ(readWholeFile(path("Setup.exe")), first);
}

TEST_F(PicturesTest, DamagedPictureAndBadSectionsAreRefusedByName) {
  Bytes damaged = photo(80, 80, ".jpg");
  damaged.resize(40);
  write("content/broken.jpg", damaged);
  const CliResult broken = buildWith(manifestWith(Json::object()));
  EXPECT_EQ(broken.code, 1);
  EXPECT_NE(broken.err.find("\"broken.jpg\" cannot be read as a picture"), std::string::npos) << broken.err;
  EXPECT_FALSE(fs::exists(path("Setup.exe")));

  write("content/broken.jpg", photo(80, 80, ".jpg"));
  const struct {
    Json pictures;
    const char* message;
  } kCases[] = {
      {Json{{"longestEdge", 63}}, "pictures.longestEdge: 63 is not from 64 to 16384"},
      {Json{{"longestEdge", 16385}}, "pictures.longestEdge: 16385 is not from 64 to 16384"},
      {Json{{"quality", 0}}, "pictures.quality: 0 is not from 1 to 100"},
      {Json{{"longestEdg", 100}}, "pictures.longestEdg: unknown key; did you mean longestEdge?"},
      {Json(3840), "pictures: must be an object"},
  };
  for (const auto& entry : kCases) {
    SCOPED_TRACE(entry.message);
    const CliResult result = buildWith(manifestWith(entry.pictures));
    EXPECT_EQ(result.code, 1);
    EXPECT_NE(result.err.find(entry.message), std::string::npos) << result.err;
  }
  EXPECT_EQ(buildWith(manifestWith(Json{{"longestEdge", 64}, {"quality", 100}})).code, 0);
  Json withoutData = manifestWith(Json::object());
  withoutData.erase("data");
  withoutData["slots"]["8"] = Json{{"file", "impborl.dll"}};
  EXPECT_NE(buildWith(withoutData).err.find("add a \"data\" section"), std::string::npos);
}

TEST_F(PicturesTest, GpsWithoutPicturesIsAWarningThatStrictMakesAnError) {
  write("content/plain.jpg", photo(40, 40, ".jpg", exifSegment(1, -1)));
  write("content/location-off.jpg", photo(40, 40, ".jpg", exifSegment(1, 0)));
  const CliResult clean = buildWith(manifestWith(std::nullopt), {"--strict"});
  EXPECT_EQ(clean.code, 0) << clean.err;

  write("content/home.jpg", photo(40, 40, ".jpg", exifSegment(1, 2)));
  const CliResult warned = buildWith(manifestWith(std::nullopt));
  EXPECT_EQ(warned.code, 0);
  EXPECT_NE(warned.err.find("warning: data.folder: 1 photo carries the place where it was taken (GPS in their EXIF; "
                            "the first: \"home.jpg\")"),
            std::string::npos)
      << warned.err;
  EXPECT_EQ(packedItems().at("home.jpg"), readWholeFile(path("content/home.jpg")));

  fs::remove(path("Setup.exe"));
  const CliResult strict = buildWith(manifestWith(std::nullopt), {"--strict"});
  EXPECT_EQ(strict.code, 1);
  EXPECT_NE(strict.err.find("error: data.folder: 1 photo"), std::string::npos) << strict.err;
  EXPECT_FALSE(fs::exists(path("Setup.exe")));
  // With the section, the same photo goes out clean and nothing is warned.
  EXPECT_EQ(buildWith(manifestWith(Json::object()), {"--strict"}).code, 0);
}

TEST_F(PicturesTest, DesktopLeftoversAreLeftOutWithANote) {
  for (const char* name : {".DS_Store", "trip/Thumbs.db", "trip/THUMBS.DB", "Desktop.ini", "._sea.jpg"}) {
    write(std::string("content/") + name, bytesOf("leftover"));
  }
  for (const char* name : {"sea.jpg", "_sea.jpg", "trip/DS_Store", "Thumbs.db.txt"}) {
    write(std::string("content/") + name, bytesOf("kept"));
  }
  const CliResult result = buildWith(manifestWith(std::nullopt));
  ASSERT_EQ(result.code, 0) << result.err;
  EXPECT_NE(result.err.find("note: data.folder: \"trip\\Thumbs.db\" left out"), std::string::npos) << result.err;
  std::vector<std::string> paths;
  for (const auto& [path, contents] : packedItems()) paths.push_back(path);
  EXPECT_EQ(paths, (std::vector<std::string>{"Thumbs.db.txt", "_sea.jpg", "sea.jpg", "trip\\DS_Store"}));
}

TEST_F(PicturesTest, AsciiNamesSpellsNamesInAsciiAndRefusesClashes) {
  write("content/\xC3\x89t\xC3\xA9 \xC3\xA0 Nice.jpg", bytesOf("summer"));
  write("content/Stra\xC3\x9F" "e/\xC5\x92uvre.png", bytesOf("street"));
  write("content/plain.txt", bytesOf("plain"));
  const CliResult refused = buildWith(manifestWith(std::nullopt));
  EXPECT_EQ(refused.code, 1);
  EXPECT_NE(refused.err.find("not printable ASCII"), std::string::npos) << refused.err;

  const CliResult spelt = buildWith(manifestWith(std::nullopt), {"--ascii-names"});
  ASSERT_EQ(spelt.code, 0) << spelt.err;
  EXPECT_NE(spelt.err.find("note: data.folder: \"\xC3\x89t\xC3\xA9 \xC3\xA0 Nice.jpg\" \u2192 \"Ete a Nice.jpg\""),
            std::string::npos)
      << spelt.err;
  const auto items = packedItems();
  EXPECT_EQ(items.at("Ete a Nice.jpg"), bytesOf("summer"));
  EXPECT_EQ(items.at("Strasse\\OEuvre.png"), bytesOf("street"));
  EXPECT_EQ(items.at("plain.txt"), bytesOf("plain"));

  // The same name with combining accents, as macOS writes it.
  write("content/E\xCC\x81te\xCC\x81 a\xCC\x80 Nice.jpg", bytesOf("winter"));
  const CliResult clash = buildWith(manifestWith(std::nullopt), {"--ascii-names"});
  EXPECT_EQ(clash.code, 1);
  EXPECT_NE(clash.err.find("\"\xC3\x89t\xC3\xA9 \xC3\xA0 Nice.jpg\" and \"E\xCC\x81te\xCC\x81 a\xCC\x80 Nice.jpg\" would both be \"Ete a Nice.jpg\""),
            std::string::npos)
      << clash.err;
}

TEST(AsciiFileName, SpellsLettersAndMarksTheRest) {
  const struct {
    const char* name;
    const char* ascii;
  } kCases[] = {
      {"plain-name_1.jpg", "plain-name_1.jpg"},
      {"\xC3\x86sir \xC3\xB8 \xC3\xBE", "AEsir o th"},
      {"E\xCC\x81te\xCC\x81", "Ete"},                      // combining accents
      {"\xE2\x80\x9Cquoted\xE2\x80\x9D \xE2\x80\x93 x", "'quoted' - x"},
      {"\xC5\x81\xC3\xB3" "d\xC5\xBA", "Lodz"},
      {"\xE6\x9D\xB1\xE4\xBA\xAC.png", "__.png"},          // no ASCII form
      {"bad\xFF" "byte\x01", "bad_byte_"},                 // not UTF-8, a control character
      {"cut\xC3", "cut_"},                                 // a sequence cut short
  };
  for (const auto& entry : kCases) {
    SCOPED_TRACE(entry.name);
    EXPECT_EQ(asciiFileName(entry.name), entry.ascii);
  }
}

}  // namespace
}  // namespace saverpack::test
