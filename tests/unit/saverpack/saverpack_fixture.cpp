// Test fixture; see the header.
#include "saverpack_fixture.h"

#include <fstream>
#include <random>
#include <sstream>

#include "cli.h"
#include "package/package_binding.h"
#include "package/package_format.h"

namespace saverpack::test {

namespace fs = std::filesystem;

Bytes bytesOf(const std::string& text) { return Bytes(text.begin(), text.end()); }

Bytes noise(std::size_t size, unsigned seed) {
  std::mt19937 generator(seed);
  Bytes bytes(size);
  for (auto& byte : bytes) byte = static_cast<std::uint8_t>(generator());
  return bytes;
}

// A minimal PE32 header whose security directory says where the certificate table is.
Bytes programWithTable(std::uint32_t offset, std::uint32_t size, std::size_t fileSize,
                       std::uint8_t directories) {
  Bytes file(fileSize, 0);
  file[0] = 'M';
  file[1] = 'Z';
  file[0x3C] = 0x40;
  file[0x40] = 'P';
  file[0x41] = 'E';
  const std::size_t optional = 0x40 + 24;
  file[optional] = 0x0B;
  file[optional + 1] = 0x01;
  file[optional + 92] = directories;
  const std::size_t security = optional + 96 + 4 * 8;
  for (int i = 0; i < 4; ++i) {
    file[security + i] = static_cast<std::uint8_t>(offset >> (8 * i));
    file[security + 4 + i] = static_cast<std::uint8_t>(size >> (8 * i));
  }
  return file;
}

void addBindingPlace(Bytes& stub) {
  const auto put = [&stub](std::size_t at, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) stub[at + std::size_t(i)] = static_cast<std::uint8_t>(value >> (8 * i));
  };
  if (stub[0x3C] == 0) {
    put(0x3C, 0x40, 4);
    put(0x40, 0x00004550, 4);
  }
  const std::size_t pe = stub[0x3C];
  put(pe + 20, 0xE0, 2);  // a PE32 optional header with its sixteen directories
  const std::size_t sections = stub[pe + 6];
  const std::size_t entry = pe + 24 + 0xE0 + 40 * sections;
  put(pe + 6, std::uint32_t(sections + 1), 2);
  const char name[] = ".skbind";
  std::copy(name, name + 7, stub.begin() + std::ptrdiff_t(entry));
  put(entry + 16, 0x200, 4);
  put(entry + 20, 0x400, 4);
  std::copy(saverkit::kBindingMarker.begin(), saverkit::kBindingMarker.end(), stub.begin() + 0x400);
}

void SaverpackTest::SetUp() {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  dir_ = fs::temp_directory_path() /
         ("saverpack-" + std::string(info->test_suite_name()) + "-" + info->name() + "-" +
          std::to_string(std::random_device{}()));
  fs::remove_all(dir_);
  fs::create_directories(dir_);
}

void SaverpackTest::TearDown() {
  std::error_code ignored;
  fs::remove_all(dir_, ignored);
}

fs::path SaverpackTest::write(const std::string& relative, const Bytes& bytes) const {
  const fs::path file = dir_ / relative;
  fs::create_directories(file.parent_path());
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return file;
}

fs::path SaverpackTest::write(const std::string& relative, const std::string& text) const {
  return write(relative, bytesOf(text));
}

void SaverpackTest::writeFixtureFiles() const {
  Bytes stub(static_cast<std::size_t>(saverkit::kInstallerSizeInBytes), 0);
  stub[0] = 'M';
  stub[1] = 'Z';
  addBindingPlace(stub);
  write("saverstub.exe", stub);
  write("impborl.dll", noise(900, 1));
  // Just enough of a Windows program's headers to pass for one.
  std::string engine = "MZ" + std::string(0x3A, '\0') + std::string("\x40\0\0\0PE\0\0", 8);
  for (int i = 0; i < 300; ++i) engine += "engine code " + std::to_string(i) + "\n";
  write("engine.scr", engine);
  write("slideshow.scr", engine + "slideshow");  // the reference engine, found beside the stub
  write("intro.swf", noise(700, 2));
  std::string licence;
  for (int i = 0; i < 100; ++i) licence += "You may use this screen saver. ";
  write("LICENSE.txt", licence);
  write("readme.htm", "<p>Thank you</p>");
  write("content/ocean.txt", licence + licence);
  write("content/media/wave.bin", noise(333, 3));
  write("content/media/deep/empty.dat", Bytes());
}

Json SaverpackTest::standardManifest(bool implode) const {
  return Json::parse(std::string(R"({
    "saverName": "Ocean Waves",
    "presentationMode": "flash",
    "options": {"askOpenControlPanel": true},
    "slots": {
      "3": {"file": "intro.swf"},
      "4": {"file": "LICENSE.txt", "implode": )") + (implode ? "true" : "false") + R"(},
      "5": {"file": "readme.htm"},
      "6": {"file": "engine.scr", "implode": )" + (implode ? "true" : "false") + R"(}
    },
    "data": {"folder": "content", "implode": ")" + (implode ? "auto" : "never") + R"("}
  })");
}

fs::path SaverpackTest::writeManifest(const Json& manifest, const std::string& name) const {
  return write(name, manifest.dump(2));
}

CliResult SaverpackTest::run(const std::vector<std::string>& args) const { return runFrom(dir_, args); }

CliResult SaverpackTest::runFrom(const fs::path& programFolder, const std::vector<std::string>& args) const {
  std::ostringstream out;
  std::ostringstream err;
  CliResult result;
  result.code = runSaverpack(args, programFolder, out, err);
  result.out = out.str();
  result.err = err.str();
  return result;
}

Bytes SaverpackTest::build(const Json& manifest) {
  const fs::path file = writeManifest(manifest);
  const CliResult result = run({"build", file.u8string(), "-o", path("Installer.exe").u8string(),
                                "--no-progress"});
  EXPECT_EQ(result.code, 0) << result.err;
  if (result.code != 0) return {};
  return readWholeFile(path("Installer.exe"));
}

}  // namespace saverpack::test
