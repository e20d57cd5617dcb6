// The package header codec: field positions, round trips, name limits, hostile offsets and the
// target a slot is written to.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cstring>
#include <vector>

#include "package/package_format.h"

namespace saverkit {
namespace {

PackageHeader distinctHeader() {
  PackageHeader header;
  header.presentationMode = kPresentationJpeg;
  header.hasLicense = true;
  header.hasReadMe = false;
  header.carriesFlashInstaller = true;
  header.flashVersionIndex = 1;
  header.askOpenControlPanel = true;
  header.saverName = "Ocean Waves";
  for (std::size_t slot = 0; slot < kPackageSlotCount; ++slot) {
    PackageEntry& entry = header.entries[slot];
    entry.name = "file" + std::to_string(slot) + ".bin";
    entry.startOffset = 700000 + int(slot) * 1000;
    entry.endOffset = entry.startOffset + int(slot) * 7 - 1;
    entry.destination = int(slot);
    entry.imploded = slot % 2 == 1;
    entry.expandedSize = int(slot) * 11 + 3;
  }
  return header;
}

void expectSameHeader(const PackageHeader& a, const PackageHeader& b) {
  EXPECT_EQ(a.presentationMode, b.presentationMode);
  EXPECT_EQ(a.hasLicense, b.hasLicense);
  EXPECT_EQ(a.hasReadMe, b.hasReadMe);
  EXPECT_EQ(a.carriesFlashInstaller, b.carriesFlashInstaller);
  EXPECT_EQ(a.flashVersionIndex, b.flashVersionIndex);
  EXPECT_EQ(a.askOpenControlPanel, b.askOpenControlPanel);
  EXPECT_EQ(a.saverName, b.saverName);
  for (std::size_t slot = 0; slot < kPackageSlotCount; ++slot) {
    SCOPED_TRACE("slot " + std::to_string(slot));
    EXPECT_EQ(a.entries[slot].name, b.entries[slot].name);
    EXPECT_EQ(a.entries[slot].startOffset, b.entries[slot].startOffset);
    EXPECT_EQ(a.entries[slot].endOffset, b.entries[slot].endOffset);
    EXPECT_EQ(a.entries[slot].destination, b.entries[slot].destination);
    EXPECT_EQ(a.entries[slot].imploded, b.entries[slot].imploded);
    EXPECT_EQ(a.entries[slot].expandedSize, b.entries[slot].expandedSize);
  }
}

TEST(PackageHeaderCodec, RoundTripsEveryField) {
  const PackageHeader header = distinctHeader();
  const auto bytes = encodePackageHeader(header);
  const auto decoded = decodePackageHeader(bytes.data(), bytes.size());
  ASSERT_TRUE(decoded);
  expectSameHeader(header, *decoded);
}

TEST(PackageHeaderCodec, PutsEachFieldAtItsOffset) {
  const PackageHeader header = distinctHeader();
  const auto bytes = encodePackageHeader(header);
  EXPECT_EQ(bytes[0], kPresentationJpeg);
  EXPECT_EQ(bytes[1], 1);
  EXPECT_EQ(bytes[2], 0);
  EXPECT_EQ(bytes[3], 1);
  EXPECT_EQ(bytes[4], 1);
  EXPECT_EQ(bytes[5], 1);
  EXPECT_EQ(std::memcmp(bytes.data() + 6, "Ocean Waves", 11), 0);
  EXPECT_EQ(bytes[6 + 11], 0);
  EXPECT_EQ(bytes[70], 0);  // padding
  EXPECT_EQ(bytes[71], 0);
  const std::uint8_t* slot3 = bytes.data() + 72 + 3 * 280;
  EXPECT_EQ(slot3[0], 9);  // "file3.bin"
  EXPECT_EQ(std::memcmp(slot3 + 1, "file3.bin", 9), 0);
  EXPECT_EQ(slot3[10], 0);  // the rest of the name field is zero
  EXPECT_EQ(readInt32Le(slot3 + 256), 703000);
  EXPECT_EQ(readInt32Le(slot3 + 260), 703020);
  EXPECT_EQ(readInt32Le(slot3 + 264), 3);
  EXPECT_EQ(slot3[268], 1);
  for (int i : {269, 270, 271, 272, 273, 274, 275}) EXPECT_EQ(slot3[i], 0) << i;
  EXPECT_EQ(readInt32Le(slot3 + 276), 36);
  // Offsets are little-endian: 703000 = 0x000ABA18.
  EXPECT_EQ(slot3[256], 0x18);
  EXPECT_EQ(slot3[257], 0xBA);
  EXPECT_EQ(slot3[258], 0x0A);
  EXPECT_EQ(slot3[259], 0x00);
}

TEST(PackageHeaderCodec, RefusesTooFewBytes) {
  const std::vector<std::uint8_t> bytes(kPackageHeaderSize - 1);
  EXPECT_FALSE(decodePackageHeader(bytes.data(), bytes.size()));
  EXPECT_FALSE(decodePackageHeader(nullptr, kPackageHeaderSize));
}

TEST(PackageHeaderCodec, ReadsAnyNonzeroOptionByteAsTrueAndKeepsTheVersionIndexRaw) {
  std::vector<std::uint8_t> bytes(kPackageHeaderSize);
  bytes[1] = 0x80;
  bytes[5] = 0xFF;
  bytes[4] = 7;
  bytes[72 + 2 * 280 + 268] = 0x40;
  const auto header = decodePackageHeader(bytes.data(), bytes.size());
  ASSERT_TRUE(header);
  EXPECT_TRUE(header->hasLicense);
  EXPECT_TRUE(header->askOpenControlPanel);
  EXPECT_FALSE(header->hasReadMe);
  EXPECT_EQ(header->flashVersionIndex, 7);
  EXPECT_TRUE(header->entries[2].imploded);
}

TEST(PackageHeaderCodec, SaverNameStopsAtTheFirstNulOrAfter64Characters) {
  struct Case {
    std::string field;  // raw bytes of the 64-byte field, NUL-padded
    std::string expected;
  };
  const Case cases[] = {
      {std::string(64, 'A'), std::string(64, 'A')},
      {std::string("Ocean Wave\0xyz", 14), "Ocean Wave"},
      {std::string("\0abc", 4), ""},
      {"", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected);
    std::vector<std::uint8_t> bytes(kPackageHeaderSize);
    std::memcpy(bytes.data() + 6, c.field.data(), c.field.size());
    bytes[70] = 'Z';  // padding right after the field must not leak into the name
    EXPECT_EQ(decodePackageHeader(bytes.data(), bytes.size())->saverName, c.expected);
  }
}

TEST(PackageHeaderCodec, EncodesNamesUpToTheirFieldsAndRefusesLonger) {
  PackageHeader header;
  header.saverName = std::string(64, 'N');
  header.entries[1].name = std::string(255, 'e');
  const auto bytes = encodePackageHeader(header);
  EXPECT_EQ(bytes[70], 0);
  const auto decoded = decodePackageHeader(bytes.data(), bytes.size());
  EXPECT_EQ(decoded->saverName, std::string(64, 'N'));
  EXPECT_EQ(decoded->entries[1].name, std::string(255, 'e'));
  EXPECT_EQ(bytes[72 + 280], 255);

  header.saverName = std::string(65, 'N');
  EXPECT_THROW(encodePackageHeader(header), std::invalid_argument);
  header.saverName = "ok";
  header.entries[1].name = std::string(256, 'e');
  EXPECT_THROW(encodePackageHeader(header), std::invalid_argument);
}

TEST(PackageHeaderCodec, LengthPrefixedNamesIgnoreBytesPastTheirLength) {
  for (const std::uint8_t length : {0, 1, 200, 255}) {
    SCOPED_TRACE(int(length));
    std::vector<std::uint8_t> bytes(kPackageHeaderSize, 'x');
    std::uint8_t* entry = bytes.data() + 72 + 5 * 280;
    entry[0] = length;
    const auto header = decodePackageHeader(bytes.data(), bytes.size());
    EXPECT_EQ(header->entries[5].name, std::string(length, 'x'));
    EXPECT_EQ(header->entries[5].isEmpty(), length == 0);
  }
}

TEST(StoredLength, ComputesInSixtyFourBitsWhateverTheOffsets) {
  struct Case {
    std::int32_t start;
    std::int32_t end;
    std::int64_t length;
  };
  const Case cases[] = {
      {1000, 1999, 1000},
      {1000, 999, 0},  // an empty file
      {1000, 998, -1},
      {INT32_MIN, INT32_MAX, 4294967296LL},
      {INT32_MAX, INT32_MIN, -4294967294LL},
      {INT32_MAX, INT32_MAX, 1},
      {-5, -1, 5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.start) + ".." + std::to_string(c.end));
    PackageEntry entry;
    entry.startOffset = c.start;
    entry.endOffset = c.end;
    EXPECT_EQ(storedLength(entry), c.length);
  }
}

TEST(StoredLength, BytesWithinTheFileOnlyWhenStartAndEndBothAre) {
  struct Case {
    std::int32_t start;
    std::int32_t end;
    bool within;
  };
  const std::int64_t fileSize = 2000;
  const Case cases[] = {
      {1000, 1999, true},  {1000, 999, true},   {2000, 1999, true},  // empty at the very end
      {1000, 2000, false}, {2001, 2000, false}, {-1, 10, false},
      {10, 8, false},      {INT32_MIN, INT32_MAX, false}, {INT32_MAX, INT32_MAX, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.start) + ".." + std::to_string(c.end));
    PackageEntry entry;
    entry.startOffset = c.start;
    entry.endOffset = c.end;
    EXPECT_EQ(storedBytesWithin(entry, fileSize), c.within);
  }
}

TEST(SlotTarget, FolderAndFileNameFollowTheDestinationKind) {
  struct Case {
    std::int32_t destination;
    const char* name;
    TargetFolder folder;
    const char* target;
  };
  const Case cases[] = {
      {0, "a.txt", TargetFolder::kNone, "a.txt"},
      {1, "a.txt", TargetFolder::kProduct, "a.txt"},
      {2, "Ocean.scr", TargetFolder::kSystem, "Ocean.scr"},
      {3, "install_flash_player_10_active_x.exe", TargetFolder::kWorking,
       "install_flash_player_10_active_x.exe"},
      {3, "install_flash_player_active_x.exe", TargetFolder::kWorking, "install_flash_player_active_x.exe"},
      {3, "INSTALL_FLASH_PLAYER_ACTIVE_X.EXE", TargetFolder::kShared, "INSTALL_FLASH_PLAYER_ACTIVE_X.dll"},
      {3, "helper.ocx", TargetFolder::kShared, "helper.dll"},
      {3, "a.b.c", TargetFolder::kShared, "a.b.dll"},
      {3, "noextension", TargetFolder::kShared, "noextension.dll"},
      {4, "impborl.dat", TargetFolder::kWorking, "impborl.dll"},
      {4, "IMPBORL.DAT", TargetFolder::kWorking, "IMPBORL.DAT"},
      {4, "other.dat", TargetFolder::kWorking, "other.dat"},
      {5, "a", TargetFolder::kProduct, "a"},
      {6, "a", TargetFolder::kProduct, "a"},
      {7, "impborl.dat", TargetFolder::kWorking, "impborl.dat"},
      {8, "a", TargetFolder::kNone, "a"},
      {9, "a", TargetFolder::kNone, "a"},
      {10, "a", TargetFolder::kProduct, "a"},
      {11, "a", TargetFolder::kInvalid, "a"},
      {-1, "a", TargetFolder::kInvalid, "a"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.destination) + " " + c.name);
    PackageEntry entry;
    entry.destination = c.destination;
    entry.name = c.name;
    EXPECT_EQ(targetFolder(entry), c.folder);
    EXPECT_EQ(targetFileName(entry), c.target);
  }
}

TEST(LittleEndian, ReadsAndWritesSignedValues) {
  for (const std::int32_t value : {0, 1, -1, 0x01020304, INT32_MIN, INT32_MAX, 690176}) {
    SCOPED_TRACE(value);
    std::uint8_t bytes[4] = {};
    writeInt32Le(bytes, value);
    EXPECT_EQ(readInt32Le(bytes), value);
  }
  const std::uint8_t bytes[4] = {0x04, 0x03, 0x02, 0x81};
  EXPECT_EQ(readInt32Le(bytes), static_cast<std::int32_t>(0x81020304u - 0x100000000LL));
}

// Saverkit's "no player" marker in slot 0: its exact bytes, a round trip, and look-alikes that
// a package written without it might hold.
TEST(NoPlayerMarker, IsWrittenAsItsExactBytesAndReadBack) {
  PackageHeader header;
  header.presentationMode = kPresentationJpeg;
  header.needsNoFlashPlayer = true;
  const auto bytes = encodePackageHeader(header);
  std::array<std::uint8_t, kPackageEntrySize> expected{};
  const char name[] = "Saverkit.NoFlashPlayer";
  expected[0] = 22;
  std::memcpy(&expected[1], name, 22);
  expected[272] = 'S'; expected[273] = 'K'; expected[274] = 'N'; expected[275] = 'P';
  EXPECT_EQ(0, std::memcmp(bytes.data() + 72, expected.data(), expected.size()));
  const auto decoded = decodePackageHeader(bytes.data(), bytes.size());
  ASSERT_TRUE(decoded);
  EXPECT_TRUE(decoded->needsNoFlashPlayer);
  EXPECT_TRUE(decoded->entries[0].isEmpty());  // the marker is not a file
  EXPECT_FALSE(packageNeedsFlashPlayer(*decoded));

  header.needsNoFlashPlayer = false;
  const auto plain = encodePackageHeader(header);
  EXPECT_FALSE(decodePackageHeader(plain.data(), plain.size())->needsNoFlashPlayer);
  EXPECT_TRUE(std::all_of(plain.begin() + 72, plain.begin() + 352, [](std::uint8_t b) { return b == 0; }));
}

TEST(NoPlayerMarker, LookAlikesDoNotCount) {
  PackageHeader header;
  header.needsNoFlashPlayer = true;
  const auto good = encodePackageHeader(header);
  struct Change { const char* label; std::size_t at; std::uint8_t value; };
  const Change changes[] = {
      {"name one letter off", 72 + 1, 's'},
      {"name length one short", 72, 21},
      {"tag missing", 72 + 272, 0},
      {"a byte after the name", 72 + 30, 1},
      {"a start offset", 72 + 256, 1},
      {"a destination", 72 + 264, 1},
      {"imploded set", 72 + 268, 1},
      {"an expanded size", 72 + 279, 1},
  };
  for (const Change& change : changes) {
    SCOPED_TRACE(change.label);
    auto bytes = good;
    bytes[change.at] = change.value;
    const auto decoded = decodePackageHeader(bytes.data(), bytes.size());
    EXPECT_FALSE(decoded->needsNoFlashPlayer);
    EXPECT_FALSE(decoded->entries[0].isEmpty());  // slot 0 reads as whatever it holds
  }
  // The marker with a slot 0 file of its own cannot be written.
  header.entries[0].name = "other.bin";
  EXPECT_THROW(encodePackageHeader(header), std::invalid_argument);
}

// The extension record, the marker's successor: its exact bytes, the block's offsets, and
// look-alikes, including the marker's own bytes under the record's name.
TEST(ExtensionRecord, IsWrittenAsItsExactBytesWithTheBlocksOffsetsAndLookAlikesDoNotCount) {
  PackageHeader header;
  header.needsNoFlashPlayer = true;  // the record takes the marker's place
  header.extensionBlock.emplace(700000, 700123);
  const auto good = encodePackageHeader(header);
  std::array<std::uint8_t, kPackageEntrySize> expected{};
  expected[0] = 18;
  std::memcpy(&expected[1], "Saverkit.Extension", 18);
  writeInt32Le(&expected[256], 700000);
  writeInt32Le(&expected[260], 700123);
  expected[272] = 'S'; expected[273] = 'K'; expected[274] = 'X'; expected[275] = '1';
  EXPECT_EQ(0, std::memcmp(good.data() + 72, expected.data(), expected.size()));
  const auto decoded = decodePackageHeader(good.data(), good.size());
  ASSERT_TRUE(decoded->extensionBlock);
  EXPECT_EQ(*decoded->extensionBlock, std::make_pair(700000, 700123));
  EXPECT_TRUE(decoded->entries[0].isEmpty());
  EXPECT_FALSE(decoded->needsNoFlashPlayer);  // only the block can say so, once it is read

  struct Change { const char* label; std::size_t at; std::uint8_t value; };
  const Change changes[] = {
      {"name one letter off", 72 + 1, 's'},    {"name length one long", 72, 19},
      {"tag of version 2", 72 + 275, '2'},     {"the marker's tag", 72 + 274, 'N'},
      {"a byte after the name", 72 + 40, 1},   {"a destination", 72 + 264, 10},
      {"imploded set", 72 + 268, 1},           {"a padding byte", 72 + 270, 1},
      {"an expanded size", 72 + 276, 1},
  };
  for (const Change& change : changes) {
    SCOPED_TRACE(change.label);
    auto bytes = good;
    bytes[change.at] = change.value;
    const auto lookAlike = decodePackageHeader(bytes.data(), bytes.size());
    EXPECT_FALSE(lookAlike->extensionBlock);
    EXPECT_FALSE(lookAlike->needsNoFlashPlayer);
    EXPECT_FALSE(lookAlike->entries[0].isEmpty());
  }
  header.entries[0].name = "other.bin";
  EXPECT_THROW(encodePackageHeader(header), std::invalid_argument);
}

TEST(NoPlayerMarker, OnlyPictureAndQuietPresentationsGoWithoutThePlayer) {
  for (int mode = 0; mode < 256; ++mode) {
    SCOPED_TRACE(mode);
    PackageHeader header;
    header.presentationMode = static_cast<std::uint8_t>(mode);
    EXPECT_TRUE(packageNeedsFlashPlayer(header));
    header.needsNoFlashPlayer = true;
    EXPECT_EQ(packageNeedsFlashPlayer(header), !(mode == 1 || mode == 4 || mode == 8));
  }
}

}  // namespace
}  // namespace saverkit
