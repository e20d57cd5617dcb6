// saverpack verify: a good installer passes; each kind of damage or hostile header is caught
// and named by the slot or item it concerns.
#include <gtest/gtest.h>

#include <functional>

#include "codec_bridge.h"
#include "package/data_file_format.h"
#include "package/package_binding.h"
#include "package/package_format.h"
#include "saverkit/implode/codec.h"
#include "saverpack_fixture.h"

namespace saverpack::test {
namespace {

using saverkit::PackageHeader;

class VerifyTest : public SaverpackTest {
 public:
  void SetUp() override {
    SaverpackTest::SetUp();
    writeFixtureFiles();
    good_ = build(standardManifest(true));
    ASSERT_FALSE(good_.empty());
    header_ = *saverkit::decodePackageHeader(good_.data() + 690176, 3152);
  }

  // Verifies `installer` written to a file and returns the result.
  CliResult verify(const Bytes& installer) {
    write("checked.exe", installer);
    return run({"verify", path("checked.exe").u8string()});
  }

  Bytes withHeader(const PackageHeader& header) const {
    Bytes installer = good_;
    const auto bytes = saverkit::encodePackageHeader(header);
    std::copy(bytes.begin(), bytes.end(), installer.begin() + 690176);
    return installer;
  }

  // A copy of the good installer with the data file's bytes at `offset` replaced.
  Bytes withDataFileBytes(std::size_t offset, const Bytes& bytes) const {
    Bytes installer = good_;
    std::copy(bytes.begin(), bytes.end(), installer.begin() + header_.entries[8].startOffset + offset);
    return installer;
  }

  Bytes good_;
  PackageHeader header_;
};

Bytes int32Bytes(std::int32_t value) {
  Bytes bytes(4);
  saverkit::writeInt32Le(bytes.data(), value);
  return bytes;
}

TEST_F(VerifyTest, AcceptsWhatBuildWrites) {
  const CliResult result = verify(good_);
  EXPECT_EQ(result.code, 0) << result.err;
  EXPECT_NE(result.out.find("OK (6 slots, data file with 3 items)"), std::string::npos) << result.out;
}

TEST_F(VerifyTest, CatchesDamagedOrHostileHeaders) {
  struct Case {
    const char* what;
    std::function<void(PackageHeader&)> change;
    const char* message;
  };
  const Case cases[] = {
      {"end before start - 1", [](PackageHeader& h) { h.entries[4].endOffset = h.entries[4].startOffset - 2; },
       "slots.4: end offset"},
      {"negative start", [](PackageHeader& h) { h.entries[6].startOffset = -100; }, "slots.6: bytes -100"},
      {"past the end", [](PackageHeader& h) { h.entries[5].endOffset = INT32_MAX; }, "slots.5: bytes"},
      {"overflowing offsets",
       [](PackageHeader& h) {
         h.entries[5].startOffset = INT32_MAX;
         h.entries[5].endOffset = INT32_MAX;
       },
       "slots.5: bytes 2147483647"},
      {"escaping name", [](PackageHeader& h) { h.entries[5].name = "..\\..\\evil.htm"; },
       "slots.5.name: \"..\\..\\evil.htm\" contains \"\\\""},
      {"absolute name", [](PackageHeader& h) { h.entries[5].name = "C:\\evil.htm"; }, "slots.5.name"},
      {"library imploded", [](PackageHeader& h) { h.entries[1].imploded = true; },
       "slots.1.implode: the implode library must be stored"},
      {"library missing", [](PackageHeader& h) { h.entries[1] = {}; }, "slots.1: empty"},
      {"destination out of range", [](PackageHeader& h) { h.entries[5].destination = 12; },
       "slots.5.destination: 12 is not a destination kind"},
      {"player version index", [](PackageHeader& h) { h.flashVersionIndex = 5; },
       "options.flashVersionIndex: 5 is not 0 or 1"},
      {"unknown presentation", [](PackageHeader& h) { h.presentationMode = 6; }, "presentationMode: 6"},
      {"unsafe saver name", [](PackageHeader& h) { h.saverName = ".."; }, "saverName: \"..\""},
      {"licence flag without a licence",
       [](PackageHeader& h) {
         h.entries[4] = {};
       },
       "options.license: is set, but slot 4"},
      {"wrong expanded size", [](PackageHeader& h) { h.entries[6].expandedSize += 1; }, "slots.6: expands to"},
      {"negative expanded size", [](PackageHeader& h) { h.entries[6].expandedSize = -1; },
       "slots.6.expandedSize: is negative"},
      {"expanded size too small", [](PackageHeader& h) { h.entries[6].expandedSize = 10; },
       "slots.6: expands to more than 10 bytes"},
      // What the format can give bounds the expansion, not the declared size: up to the bound
      // the bytes are expanded (and found short), one beyond it they are not even tried.
      {"expanded size at the format's bound",
       [](PackageHeader& h) {
         h.entries[6].expandedSize = std::int32_t(maxExpandedSize(std::uint64_t(saverkit::storedLength(h.entries[6]))));
       },
       "slots.6: expands to"},
      {"expanded size beyond the format's bound",
       [](PackageHeader& h) {
         h.entries[6].expandedSize =
             std::int32_t(maxExpandedSize(std::uint64_t(saverkit::storedLength(h.entries[6]))) + 1);
       },
       "slots.6.expandedSize: declares"},
      {"expanded size of 2 GiB", [](PackageHeader& h) { h.entries[6].expandedSize = INT32_MAX; },
       "imploded bytes can give (at most"},
      {"stored data file", [](PackageHeader& h) { h.entries[8].destination = 1; },
       "slots.8.destination: the data file must land in the working folder"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    PackageHeader header = header_;
    c.change(header);
    const CliResult result = verify(withHeader(header));
    EXPECT_EQ(result.code, 1);
    EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
    EXPECT_NE(result.err.find("verification failed"), std::string::npos);
  }
}

TEST_F(VerifyTest, CatchesTruncatedAndCorruptedFiles) {
  struct Case {
    const char* what;
    std::function<Bytes(const Bytes&, const PackageHeader&)> damage;
    const char* message;
  };
  const Case cases[] = {
      {"cut inside the header", [](const Bytes& b, const PackageHeader&) { return Bytes(b.begin(), b.begin() + 691000); },
       "too few to hold the stub and a package header"},
      {"cut inside the data file",
       [](const Bytes& b, const PackageHeader&) { return Bytes(b.begin(), b.end() - 10); },
       "slots.8: bytes"},
      {"imploded bytes scrambled",
       [](const Bytes& b, const PackageHeader& h) {
         Bytes damaged = b;
         for (std::int32_t i = h.entries[6].startOffset + 2; i <= h.entries[6].endOffset; ++i) damaged[i] ^= 0x5A;
         return damaged;
       },
       "slots.6: "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const CliResult result = verify(c.damage(good_, header_));
    EXPECT_EQ(result.code, 1);
    EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
  }
}

TEST_F(VerifyTest, CatchesBadDataFileItems) {
  // Item 2's directory entry starts at 1240 + 264; its path at +2 and its offset at +260.
  const std::size_t item2 = 1240 + 264;
  struct Case {
    const char* what;
    std::size_t offset;
    Bytes bytes;
    const char* message;
  };
  const Case cases[] = {
      {"escaping path", item2 + 2, bytesOf(std::string("..\\..\\x\0", 8)),
       "slots.8.items.2.path: \"..\\..\\x\" is not a safe path"},
      {"absolute path", item2 + 2, bytesOf(std::string("\\windows\\x\0", 11)), "slots.8.items.2.path"},
      {"duplicate path", item2 + 2, bytesOf(std::string("ocean.txt\0", 10)),
       "slots.8.items.3.path: \"ocean.txt\" is also written by item 2"},
      {"item outside the file", item2 + 260, int32Bytes(100000000), "slots.8.items.2.offset"},
      {"negative item offset", item2 + 260, int32Bytes(-1), "slots.8.items.2.offset"},
      {"item count too large", 212, int32Bytes(1011), "slots.8.items: item count 1011 is outside 0 to 1010"},
      {"negative item count", 212, int32Bytes(-1), "item count -1"},
      {"directory past the end", 212, int32Bytes(1000), "directory of 1000 items runs past the end"},
      {"kind 3 without the movie", 1204, int32Bytes(3), "slots.8.items.1.kind"},
      {"item 1 copies a movie the installer lacks", 1240, Bytes{3},
       "slots.3.name: \"intro.swf\" must be \"installer.swf\""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const CliResult result = verify(withDataFileBytes(c.offset, c.bytes));
    EXPECT_EQ(result.code, 1);
    EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
  }
}

TEST_F(VerifyTest, ChecksItemSizesAgainstTheirBytes) {
  const Bytes data(good_.begin() + header_.entries[8].startOffset, good_.begin() + header_.entries[8].endOffset + 1);
  const auto directory = saverkit::decodeDirectoryRecord(data.data() + 1240 + 2 * 264, 264);
  ASSERT_EQ(directory->path, "ocean.txt");
  const auto itemHeader = saverkit::decodeItemHeader(data.data() + directory->itemOffset, 44);
  ASSERT_TRUE(itemHeader->imploded);
  const std::size_t at = std::size_t(directory->itemOffset);
  struct Case {
    const char* what;
    std::size_t offset;
    Bytes bytes;
    const char* message;
  };
  const Case cases[] = {
      {"expanded size off by one", at + 8, int32Bytes(itemHeader->expandedSize + 1), "slots.8.items.3.data: expands to"},
      {"expanded size at the format's bound", at + 8,
       int32Bytes(std::int32_t(maxExpandedSize(std::uint64_t(itemHeader->storedSize)))), "slots.8.items.3.data: expands to"},
      {"expanded size beyond the format's bound", at + 8,
       int32Bytes(std::int32_t(maxExpandedSize(std::uint64_t(itemHeader->storedSize)) + 1)),
       "slots.8.items.3.size: declares"},
      {"stored size past the end", at + 12, int32Bytes(1 << 30), "slots.8.items.3.size"},
      {"negative size", at + 8, int32Bytes(-5), "slots.8.items.3.size: negative size"},
      {"garbage in the bytes", at + 44, Bytes(16, 0xFF), "slots.8.items.3.data"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const CliResult result = verify(withDataFileBytes(c.offset, c.bytes));
    EXPECT_EQ(result.code, 1);
    EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
  }
}

// The bound must hold for the densest stream the format has, one run of longest matches at the
// smallest dictionary, and be close to it: a bound too low would refuse good packages.
TEST(FormatBound, TheDensestStreamStaysWithinItAndNearIt) {
  const std::vector<std::uint8_t> zeros(4 << 20, 0);
  saverkit::implode::ImplodeOptions options;
  options.dictSize = 1024;
  options.level = saverkit::implode::Level::kBest;
  std::vector<std::uint8_t> imploded;
  ASSERT_EQ(saverkit::implode::implode({zeros.data(), zeros.size()}, options, imploded), saverkit::implode::Status::kOk);
  const std::uint64_t bound = maxExpandedSize(imploded.size());
  EXPECT_GE(bound, zeros.size());
  EXPECT_LT(bound, zeros.size() + zeros.size() / 100) << imploded.size() << " bytes";
  EXPECT_EQ(maxExpandedSize(2), 0u);
}

TEST_F(VerifyTest, KindThreeNeedsTheMovieNamedInstallerSwf) {
  write("content/installer.swf", noise(100, 4));
  Json manifest = standardManifest(false);
  manifest["slots"].erase("3");
  manifest["data"]["saverKind"] = 3;
  const Bytes installer = build(manifest);
  ASSERT_EQ(verify(installer).code, 0);
  PackageHeader header = *saverkit::decodePackageHeader(installer.data() + 690176, 3152);
  header.entries[3].name = "intro.swf";
  Bytes renamed = installer;
  const auto bytes = saverkit::encodePackageHeader(header);
  std::copy(bytes.begin(), bytes.end(), renamed.begin() + 690176);
  const CliResult result = verify(renamed);
  EXPECT_EQ(result.code, 1);
  EXPECT_NE(result.err.find("slots.3.name: \"intro.swf\" must be \"installer.swf\""), std::string::npos)
      << result.err;
}

TEST_F(VerifyTest, VerifiesAStandaloneDataFile) {
  ASSERT_EQ(run({"datafile", path("content").u8string(), "-o", path("saver.dat").u8string()}).code, 0);
  CliResult result = run({"verify", path("saver.dat").u8string()});
  EXPECT_EQ(result.code, 0) << result.err;
  EXPECT_NE(result.out.find("data file with 3 items"), std::string::npos);
  Bytes data = readWholeFile(path("saver.dat"));
  data[1240 + 2] = '\\';  // item 1's path now starts at the root
  write("saver.dat", data);
  result = run({"verify", path("saver.dat").u8string()});
  EXPECT_EQ(result.code, 1);
  EXPECT_NE(result.err.find("items.1.path"), std::string::npos) << result.err;
}

}  // namespace
}  // namespace saverpack::test

namespace saverpack::test {
namespace {

class DigestTest : public SaverpackTest {
 public:
  void SetUp() override {
    SaverpackTest::SetUp();
    writeFixtureFiles();
  }
  CliResult check(const std::string& command, const Bytes& installer) {
    write("checked.exe", installer);
    return run({command, path("checked.exe").u8string()});
  }
};

TEST_F(DigestTest, VerifyAndInspectSayWhetherThePackageIsTheOneItsStubRecords) {
  const Bytes built = build(standardManifest(false));
  ASSERT_FALSE(built.empty());
  CliResult result = check("verify", built);
  EXPECT_EQ(result.code, 0) << result.err;
  EXPECT_NE(result.out.find("package digest: present, and the package matches it"), std::string::npos) << result.out;
  result = check("inspect", built);
  EXPECT_NE(result.out.find("Package digest: present, and the package matches it"), std::string::npos) << result.out;

  // A stored slot changed by one byte passes every other check; only the digest tells.
  const auto header = *saverkit::decodePackageHeader(built.data() + 690176, 3152);
  Bytes changed = built;
  changed[std::size_t(header.entries[5].startOffset)] ^= 0x01;
  result = check("verify", changed);
  EXPECT_EQ(result.code, 1);
  EXPECT_NE(result.err.find("package: its SHA-256 digest differs from the one its stub records"), std::string::npos)
      << result.err;
  result = check("inspect", changed);
  EXPECT_NE(result.out.find("Package digest: present, and the package DIFFERS from it"), std::string::npos);
  write("checked.exe", changed);
  result = run({"inspect", "--json", path("checked.exe").u8string()});
  EXPECT_NE(result.out.find(R"("digest": {)"), std::string::npos) << result.out;
  EXPECT_NE(result.out.find(R"("matches": false)"), std::string::npos) << result.out;

  // A record left empty, and a stub without one, bind nothing and fail nothing.
  Bytes handMade = built;
  const auto place = saverkit::findBindingRecord(built.data(), 690176);
  ASSERT_TRUE(place);
  std::fill(handMade.begin() + std::ptrdiff_t(*place + 8), handMade.begin() + std::ptrdiff_t(*place + 48), 0);
  result = check("verify", handMade);
  EXPECT_EQ(result.code, 0) << result.err;
  EXPECT_NE(result.out.find("package digest: none: the stub's place for it is empty"), std::string::npos) << result.out;
  Bytes bareStub(690176, 0);
  bareStub[0] = 'M', bareStub[1] = 'Z';
  write("saverstub.exe", bareStub);
  result = check("verify", build(standardManifest(false)));
  EXPECT_EQ(result.code, 0) << result.err;
  EXPECT_NE(result.out.find("package digest: none: the stub has no place for one"), std::string::npos) << result.out;
}

}  // namespace
}  // namespace saverpack::test
