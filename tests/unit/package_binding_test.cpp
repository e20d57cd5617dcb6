// The stub's record of its package: found through the program's section table, filled in and
// read back, and judged against the bytes of an installer, with or without a certificate table.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "package/package_binding.h"
#include "package/package_format.h"

namespace saverkit {
namespace {

using Bytes = std::vector<std::uint8_t>;

void put32(Bytes& bytes, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
}

// A stub of the fixed size whose program headers list one section named `section` at `place`,
// `rawSize` bytes long, holding the marker and nothing else.
Bytes stubWithSection(const char* section = ".skbind", std::uint32_t place = 0x400, std::uint32_t rawSize = 0x200) {
  Bytes stub(static_cast<std::size_t>(kInstallerSizeInBytes), 0);
  stub[0] = 'M', stub[1] = 'Z';
  put32(stub, 0x3C, 0x80);
  put32(stub, 0x80, 0x00004550);
  stub[0x80 + 6] = 2;     // two sections
  stub[0x80 + 20] = 0xE0;  // a 32-bit optional header
  const std::size_t table = 0x80 + 24 + 0xE0;
  std::memcpy(&stub[table], ".text", 5);
  put32(stub, table + 16, 0x200);
  put32(stub, table + 20, 0x200);
  std::memcpy(&stub[table + 40], section, std::strlen(section));
  put32(stub, table + 40 + 16, rawSize);
  put32(stub, table + 40 + 20, place);
  std::copy(kBindingMarker.begin(), kBindingMarker.end(), stub.begin() + place);
  return stub;
}

// The stub with its record filled in for `package`, then the package.
Bytes boundInstaller(const Bytes& package) {
  Bytes file = stubWithSection();
  const auto place = findBindingRecord(file.data(), file.size());
  EXPECT_TRUE(place);
  const auto record = encodeBinding({package.size(), sha256Of(package.data(), package.size())});
  std::copy(record.begin(), record.end(), file.begin() + static_cast<std::ptrdiff_t>(place.value_or(0)));
  file.insert(file.end(), package.begin(), package.end());
  return file;
}

TEST(PackageBinding, TheRecordIsFoundOnlyInItsOwnSoundSection) {
  const Bytes stub = stubWithSection();
  EXPECT_EQ(findBindingRecord(stub.data(), stub.size()), std::optional<std::size_t>(0x400));
  EXPECT_FALSE(findBindingRecord(stubWithSection(".rdata").data(), stub.size()));
  EXPECT_FALSE(findBindingRecord(stubWithSection(".skbind", 0x400, 47).data(), stub.size()));  // too small
  // The section's bytes past the end of what is given, and a section table cut short.
  EXPECT_FALSE(findBindingRecord(stubWithSection(".skbind", static_cast<std::uint32_t>(stub.size()) - 40).data(),
                                 stub.size()));
  EXPECT_FALSE(findBindingRecord(stub.data(), 0x80 + 24 + 0xE0 + 60));
  Bytes noMarker = stub;
  noMarker[0x400] = 'X';
  EXPECT_FALSE(findBindingRecord(noMarker.data(), noMarker.size()));
  Bytes notAProgram = stub;
  notAProgram[0x80] = 'N';
  EXPECT_FALSE(findBindingRecord(notAProgram.data(), notAProgram.size()));
  Bytes farHeader = stub;
  put32(farHeader, 0x3C, 0xFFFFFFF0);
  EXPECT_FALSE(findBindingRecord(farHeader.data(), farHeader.size()));
}

TEST(PackageBinding, RecordsRoundTripAndAnEmptyOneBindsNothing) {
  const PackageBinding binding{123456789012ULL, sha256Of("abc", 3)};
  const auto record = encodeBinding(binding);
  const auto decoded = decodeBinding(record.data(), record.size());
  ASSERT_TRUE(decoded);
  EXPECT_EQ(decoded->packageLength, binding.packageLength);
  EXPECT_EQ(decoded->digest, binding.digest);
  EXPECT_FALSE(decodeBinding(record.data(), record.size() - 1));
  const auto empty = encodeBinding({0, {}});
  EXPECT_FALSE(decodeBinding(empty.data(), empty.size()));
  auto unmarked = record;
  unmarked[7] = '2';
  EXPECT_FALSE(decodeBinding(unmarked.data(), unmarked.size()));
}

TEST(PackageBinding, AnInstallerMatchesUntilOneByteOfItsPackageChanges) {
  const Bytes package = {'h', 'e', 'a', 'd', 'e', 'r', 0, 1, 2, 3};
  Bytes file = boundInstaller(package);
  BindingCheck check = checkBinding(file.data(), file.size());
  EXPECT_TRUE(check.hasPlace);
  ASSERT_TRUE(check.recorded);
  EXPECT_TRUE(check.matches);
  // A certificate table after the package is not the package.
  Bytes signedFile = file;
  signedFile.insert(signedFile.end(), 512, 0x30);
  EXPECT_TRUE(checkBinding(signedFile.data(), signedFile.size()).matches);
  for (const std::size_t at : {std::size_t{0}, package.size() - 1}) {
    Bytes changed = file;
    changed[static_cast<std::size_t>(kInstallerSizeInBytes) + at] ^= 1;
    EXPECT_FALSE(checkBinding(changed.data(), changed.size()).matches) << at;
  }
  file.pop_back();
  check = checkBinding(file.data(), file.size());
  EXPECT_TRUE(check.recorded);
  EXPECT_FALSE(check.matches);
  const Bytes handMade = stubWithSection();
  check = checkBinding(handMade.data(), handMade.size());
  EXPECT_TRUE(check.hasPlace);
  EXPECT_FALSE(check.recorded);
}

}  // namespace
}  // namespace saverkit
