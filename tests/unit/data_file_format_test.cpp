// The data file record codecs: the two fields the installer reads from the saver record,
// directory entries and item headers, their limits and their unread bytes.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <vector>

#include "package/data_file_format.h"
#include "package/package_format.h"

namespace saverkit {
namespace {

TEST(SaverRecord, ItemCountAndKindLiveAtTheirOffsetsAndLeaveTheRestAlone) {
  SaverRecord record;
  for (std::size_t i = 0; i < kSaverRecordSize; ++i) record.bytes[i] = static_cast<std::uint8_t>(i * 7);
  const SaverRecord original = record;
  record.setItemCount(1010);
  record.setSaverKind(kSaverKindInstallerMovie);
  EXPECT_EQ(record.itemCount(), 1010);
  EXPECT_EQ(record.saverKind(), 3);
  EXPECT_EQ(readInt32Le(record.bytes.data() + 212), 1010);
  EXPECT_EQ(readInt32Le(record.bytes.data() + 1204), 3);
  for (std::size_t i = 0; i < kSaverRecordSize; ++i) {
    if ((i >= 212 && i < 216) || (i >= 1204 && i < 1208)) continue;
    ASSERT_EQ(record.bytes[i], original.bytes[i]) << i;
  }
  const auto decoded = decodeSaverRecord(record.bytes.data(), record.bytes.size());
  ASSERT_TRUE(decoded);
  EXPECT_EQ(decoded->bytes, record.bytes);
}

TEST(DataFileRecords, DecodersRefuseShortInput) {
  const std::vector<std::uint8_t> bytes(kSaverRecordSize - 1);
  EXPECT_FALSE(decodeSaverRecord(bytes.data(), bytes.size()));
  EXPECT_FALSE(decodeDirectoryRecord(bytes.data(), kDirectoryRecordSize - 1));
  EXPECT_FALSE(decodeItemHeader(bytes.data(), kItemHeaderSize - 1));
  EXPECT_TRUE(decodeDirectoryRecord(bytes.data(), kDirectoryRecordSize));
  EXPECT_TRUE(decodeItemHeader(bytes.data(), kItemHeaderSize));
}

TEST(DirectoryRecord, RoundTripsKindPathAndOffset) {
  struct Case {
    std::uint8_t kind;
    std::string path;
    std::int32_t offset;
  };
  const Case cases[] = {
      {0, "a.swf", 1504},
      {3, "installer.swf", 0},
      {7, "media\\sub\\b.jpg", INT32_MAX},
      {255, std::string(255, 'p'), -1},
      {0, "", INT32_MIN},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    const auto bytes = encodeDirectoryRecord({c.kind, c.path, c.offset});
    EXPECT_EQ(bytes[0], c.kind);
    EXPECT_EQ(bytes[1], 0);
    EXPECT_EQ(std::memcmp(bytes.data() + 2, c.path.data(), c.path.size()), 0);
    EXPECT_EQ(bytes[2 + c.path.size()], 0);  // always terminated
    EXPECT_EQ(readInt32Le(bytes.data() + 260), c.offset);
    const auto decoded = decodeDirectoryRecord(bytes.data(), bytes.size());
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->itemKind, c.kind);
    EXPECT_EQ(decoded->path, c.path);
    EXPECT_EQ(decoded->itemOffset, c.offset);
    EXPECT_EQ(decoded->isMovieCopy(), c.kind == kItemKindMovieCopy);
  }
}

TEST(DirectoryRecord, PathEndsAtTheFirstNulOrTheFieldsEnd) {
  std::vector<std::uint8_t> bytes(kDirectoryRecordSize, 0);
  std::memset(bytes.data() + 2, 'q', 256);
  bytes[258] = 'X';  // the unread bytes after the field
  EXPECT_EQ(decodeDirectoryRecord(bytes.data(), bytes.size())->path, std::string(256, 'q'));
  bytes[2 + 10] = 0;
  EXPECT_EQ(decodeDirectoryRecord(bytes.data(), bytes.size())->path, std::string(10, 'q'));
}

TEST(DirectoryRecord, RefusesToEncodeAPathWithNoRoomForItsTerminator) {
  EXPECT_THROW(encodeDirectoryRecord({0, std::string(256, 'p'), 0}), std::invalid_argument);
}

TEST(ItemHeader, RoundTripsSizesAndFlagAtTheirOffsets) {
  const ItemHeader cases[] = {
      {1000, 420, true}, {1000, 0, false}, {0, 0, false}, {INT32_MAX, INT32_MAX, true}, {-1, -7, true}};
  for (const ItemHeader& c : cases) {
    SCOPED_TRACE(std::to_string(c.expandedSize) + "/" + std::to_string(c.storedSize));
    const auto bytes = encodeItemHeader(c);
    EXPECT_EQ(readInt32Le(bytes.data() + 8), c.expandedSize);
    EXPECT_EQ(readInt32Le(bytes.data() + 12), c.storedSize);
    EXPECT_EQ(readInt32Le(bytes.data() + 16), c.imploded ? 1 : 0);
    for (int i : {0, 1, 2, 3, 4, 20, 43}) EXPECT_EQ(bytes[i], 0) << i;
    const auto decoded = decodeItemHeader(bytes.data(), bytes.size());
    EXPECT_EQ(decoded->expandedSize, c.expandedSize);
    EXPECT_EQ(decoded->storedSize, c.storedSize);
    EXPECT_EQ(decoded->imploded, c.imploded);
  }
}

TEST(ItemHeader, AnyNonzeroFlagMeansImplodedAndDecidesWhichSizeCountsAsData) {
  std::vector<std::uint8_t> bytes(kItemHeaderSize, 0);
  writeInt32Le(bytes.data() + 8, 5000);
  writeInt32Le(bytes.data() + 12, 1200);
  EXPECT_EQ(decodeItemHeader(bytes.data(), bytes.size())->dataLength(), 5000);
  bytes[19] = 0x80;  // the flag's top byte alone
  const auto imploded = decodeItemHeader(bytes.data(), bytes.size());
  EXPECT_TRUE(imploded->imploded);
  EXPECT_EQ(imploded->dataLength(), 1200);
}

TEST(DataFileLayout, DirectoryFollowsTheRecord) {
  EXPECT_EQ(directoryRecordOffset(1), 1240);
  EXPECT_EQ(directoryRecordOffset(2), 1504);
  EXPECT_EQ(directoryEnd(0), 1240);
  EXPECT_EQ(directoryEnd(kMaxDataFileItems), 1240 + 264 * 1010);
}

}  // namespace
}  // namespace saverkit
