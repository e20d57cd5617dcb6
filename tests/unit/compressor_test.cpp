// TCompressor against the real codec (our native library's exports) behind the fake loader.
#include <gtest/gtest.h>

#include <vector>

#include "common/crc32.h"
#include "installer/fake/fake_platform.h"
#include "package/compressor.h"
#include "saverkit/implode/codec.h"
#include "saverkit/implode/implode_api.h"

namespace saverkit {
namespace {

const std::string kFolder = "C:\\Local\\Vantrel\\ZOR1\\";

class CompressorTest : public ::testing::Test {
 protected:
  CompressorTest() {
    fakes.files.addFile(kFolder + "impborl.dll", "MZ");
    fakes.libraries.libraries[kFolder + "impborl.dll"] = {
        {"_implode", reinterpret_cast<void*>(&_implode)},
        {"_explode", reinterpret_cast<void*>(&_explode)},
        {"_crc32", reinterpret_cast<void*>(&_crc32)}};
  }
  TCompressor::Services services() {
    return {fakes.libraries, fakes.files, fakes.texts,
            [this](const std::string& text) { fakes.view.showDialog(DialogKind::kError, text); }};
  }
  static std::vector<std::uint8_t> implodeText(const std::string& text) {
    std::vector<std::uint8_t> out;
    implode::implode({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()}, {}, out);
    return out;
  }
  fake::FakePlatform fakes;
};

TEST_F(CompressorTest, ExpandsIntoAFileAndKeepsTheCrcOfWhatItWrote) {
  std::string text;
  for (int i = 0; i < 5000; ++i) text += "screen saver " + std::to_string(i % 97) + "\n";
  const auto packed = implodeText(text);
  fakes.files.addFile("C:\\P\\Ocean\\a.txt", "old contents");
  {
    TCompressor compressor(services(), kFolder);
    ASSERT_TRUE(compressor.loaded());
    EXPECT_EQ(fakes.libraries.loadedNow, 1);
    EXPECT_EQ(compressor.expandToFile("C:\\P\\Ocean\\a.txt", packed.data(), packed.size(), text.size()), 0);
    EXPECT_EQ(compressor.writtenCrc(), *crc32OfText(text, [](const std::string&) {}));
  }
  EXPECT_EQ(fakes.libraries.loadedNow, 0);  // unloaded with the object
  EXPECT_EQ(fakes.files.contents("C:\\P\\Ocean\\a.txt"), text);
}

TEST_F(CompressorTest, LoadFailures) {
  TCompressor noFile(services(), "C:\\Elsewhere\\");
  EXPECT_FALSE(noFile.loaded());
  EXPECT_EQ(noFile.loadFailure(), 5);
  EXPECT_TRUE(fakes.libraries.loads.empty());  // a missing file is not even tried

  fakes.libraries.libraries[kFolder + "impborl.dll"].erase("_crc32");
  TCompressor noExport(services(), kFolder);
  EXPECT_FALSE(noExport.loaded());
  EXPECT_EQ(noExport.loadFailure(), 6);
  EXPECT_EQ(fakes.libraries.loadedNow, 0);
  EXPECT_EQ(noExport.expandToFile("C:\\x.txt", nullptr, 0, 0), -35);

  fakes.files.addFile("C:\\Broken\\impborl.dll", "not a library");
  TCompressor unloadable(services(), "C:\\Broken\\");
  EXPECT_EQ(unloadable.loadFailure(), 126);
}

TEST_F(CompressorTest, ByNameThroughTheSystemSearchWhenNoFolderIsGiven) {
  fakes.libraries.libraries["impborl.dll"] = fakes.libraries.libraries[kFolder + "impborl.dll"];
  TCompressor compressor(services(), "");
  EXPECT_TRUE(compressor.loaded());
  EXPECT_EQ(fakes.libraries.loads, std::vector<std::string>{"impborl.dll"});
}

TEST_F(CompressorTest, CreationAndWriteFailuresShowTheZipError) {
  const auto packed = implodeText(std::string(100000, 'x'));
  fakes.texts.systemTexts[5] = "Access is denied";
  fakes.files.openErrors["C:\\P\\locked.bin"] = 5;
  TCompressor compressor(services(), kFolder);
  EXPECT_EQ(compressor.expandToFile("C:\\P\\locked.bin", packed.data(), packed.size(), 100000), 5);
  ASSERT_EQ(fakes.view.dialogs.size(), 1u);
  EXPECT_EQ(fakes.view.dialogs[0].kind, DialogKind::kError);
  EXPECT_EQ(fakes.view.dialogs[0].text, "Zip Error: Problem expanding data in memory. \r\n\r\nAccess is denied");

  fakes.files.addFolder("C:\\P");
  fakes.files.writeLimits["C:\\P\\full.bin"] = 1000;
  EXPECT_EQ(compressor.expandToFile("C:\\P\\full.bin", packed.data(), packed.size(), 100000), 112);
  EXPECT_EQ(fakes.view.dialogs.size(), 2u);
}

TEST_F(CompressorTest, DamagedStreamsEndEarlyForTheSizeCheckToCatch) {
  auto packed = implodeText(std::string(20000, 'y') + "tail");
  packed.resize(packed.size() / 2);
  fakes.files.addFolder("C:\\P");
  TCompressor compressor(services(), kFolder);
  EXPECT_EQ(compressor.expandToFile("C:\\P\\half.bin", packed.data(), packed.size(), 20004), 0);
  const auto written = fakes.files.fileSize("C:\\P\\half.bin");
  ASSERT_TRUE(written);
  EXPECT_LT(*written, 20004u);
  const std::uint8_t garbage[] = {0x07, 0x09, 0xFF};
  EXPECT_EQ(compressor.expandToFile("C:\\P\\bad.bin", garbage, sizeof garbage, 20004), 0);
  EXPECT_EQ(fakes.files.fileSize("C:\\P\\bad.bin"), 0u);
}

// A stream that expands beyond its declared size is cut off there as it is written: the file
// below takes not a byte more (a write past its limit fails with 112), and the result is the
// size mismatch, without a box. One byte fewer is the overrun; exactly the size is not.
TEST_F(CompressorTest, AnExpansionStopsAtTheDeclaredSizeWhileWriting) {
  const std::string text(4 << 20, 'z');
  fakes.files.addFolder("C:\\P");
  TCompressor compressor(services(), kFolder);
  for (const std::uint64_t declared : {std::uint64_t{999}, std::uint64_t{1000}}) {
    SCOPED_TRACE(declared);
    const std::string path = "C:\\P\\" + std::to_string(declared) + ".bin";
    fakes.files.writeLimits[path] = declared;
    const std::string sent = text.substr(0, 1000);
    const auto packed = implodeText(sent);
    EXPECT_EQ(compressor.expandToFile(path, packed.data(), packed.size(), declared), declared == 1000 ? 0 : -13);
    EXPECT_EQ(fakes.files.contents(path), sent.substr(0, declared));
  }
  fakes.files.writeLimits["C:\\P\\bomb.bin"] = 1000;
  const auto bomb = implodeText(text);
  EXPECT_EQ(compressor.expandToFile("C:\\P\\bomb.bin", bomb.data(), bomb.size(), 1000), -13);
  EXPECT_EQ(fakes.files.fileSize("C:\\P\\bomb.bin"), 1000u);
  EXPECT_TRUE(fakes.view.dialogs.empty());
}

}  // namespace
}  // namespace saverkit
