// The data file walker every reader shares: the directory's limits, each item header's and each
// item's data bounds on both sides, the items that have no header, the walk's order and end,
// and read failures passed through unchanged.
#include <gtest/gtest.h>

#include "package/data_file_walker.h"
#include "package_fixture.h"

namespace saverkit {
namespace {

using saverkit::testing::DataFileImage;

const std::uint8_t* bytesOf(const std::string& text) { return reinterpret_cast<const std::uint8_t*>(text.data()); }

void putInt32(std::string& bytes, std::size_t at, std::int32_t value) {
  writeInt32Le(reinterpret_cast<std::uint8_t*>(&bytes[at]), value);
}

// The bytes as a file whose reads fail with the system's code 23 once they reach `failAt`.
class FailingFile final : public ReadableFile {
 public:
  FailingFile(const std::string& bytes, std::uint64_t failAt) : span_(bytesOf(bytes), bytes.size()), failAt_(failAt) {}
  Status seek(std::uint64_t offset) override {
    position_ = offset;
    return span_.seek(offset);
  }
  Status read(void* buffer, std::size_t size, std::size_t& bytesRead) override {
    if (position_ + size > failAt_) return 23;
    position_ += size;
    return span_.read(buffer, size, bytesRead);
  }
  std::uint64_t size() const override { return span_.size(); }

 private:
  ByteSpanFile span_;
  std::uint64_t failAt_;
  std::uint64_t position_ = 0;
};

// A data file in memory with its walker, the directory already read into `status`.
struct Walked {
  explicit Walked(std::string data)
      : bytes(std::move(data)), file(bytesOf(bytes), bytes.size()),
        walker(file, 0, static_cast<std::int64_t>(bytes.size())), status(walker.readDirectory()) {}
  std::string bytes;
  ByteSpanFile file;
  DataFileWalker walker;
  Status status;
};

// The directory table's limit decides on its own: both files have room for all their records.
TEST(DataFileWalker, ExactlyTheItemLimitIsReadAndOneMoreIsRefused) {
  DataFileImage image;
  for (int item = 0; item < 1010; ++item) image.add("", "");
  EXPECT_EQ(Walked(image.bytes()).status, 0);
  image.add("", "");
  const std::string tooMany = image.bytes();
  ASSERT_GE(tooMany.size(), static_cast<std::size_t>(directoryEnd(1011)));
  EXPECT_EQ(Walked(tooMany).status, -605);
}

TEST(DataFileWalker, TheDirectoryMustFitTheFile) {
  DataFileImage image;
  image.add("a.bin", "");
  image.add("b.bin", "");
  const std::string whole = image.bytes();
  const std::size_t end = static_cast<std::size_t>(directoryEnd(2));
  EXPECT_EQ(Walked(whole.substr(0, end)).status, 0);
  EXPECT_EQ(Walked(whole.substr(0, end - 1)).status, -605);
  EXPECT_EQ(Walked(whole.substr(0, kSaverRecordSize - 1)).status, 38);
  // A data file in a slot ends where the slot does, whatever follows it.
  const std::string package = "0123456789" + whole;
  ByteSpanFile file(bytesOf(package), package.size());
  for (const std::size_t length : {end, end - 1}) {
    DataFileWalker slot(file, 10, static_cast<std::int64_t>(length));
    EXPECT_EQ(slot.readDirectory(), length == end ? 0 : -605);
  }
  std::string negative = whole;
  putInt32(negative, kSaverRecordItemCountOffset, -1);
  Walked walked(negative);
  DataFileWalker& walker = walked.walker;
  EXPECT_EQ(walked.status, -605);
  EXPECT_EQ(walker.record().itemCount(), -1);  // kept, so that the refusal can name it
  EXPECT_EQ(walker.itemCount(), 0);
  EXPECT_EQ(walker.visitItems([](const DataFileItem&) { return Status{1}; }), 0);
}

// An item's header and data must lie inside the data file: checked at the last byte that fits
// and the first that does not, with the data file a slot in a larger file whose later bytes
// do not count.
TEST(DataFileWalker, ItemHeadersAndDataMustLieInsideTheDataFile) {
  DataFileImage image;
  image.add("a.bin", "abcdef");
  const std::string data = image.bytes();
  const std::int64_t length = static_cast<std::int64_t>(data.size());
  const std::int32_t headerAt = static_cast<std::int32_t>(directoryEnd(1));
  struct Case {
    const char* label;
    std::int32_t offset;
    std::int32_t expandedSize;
    bool imploded;
    std::int32_t storedSize;
    Status expected;
    bool headerRead;
  };
  const std::int32_t lastHeader = static_cast<std::int32_t>(length) - 44;
  const Case cases[] = {
      {"data to the last byte", headerAt, 6, false, 6, 0, true},
      {"data one byte past the end", headerAt, 7, false, 7, -605, true},
      {"imploded data past the end", headerAt, 1, true, 7, -605, true},
      {"header at the last place it fits", lastHeader, 0, false, 0, 0, true},
      {"header one byte past the end", lastHeader + 1, 0, false, 0, -605, false},
      {"negative offset", -1, 0, false, 0, -605, false},
      {"negative size", headerAt, -6, false, 0, -7, true},
      {"imploded, nothing stored", headerAt, 6, true, 0, -7, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    std::string bytes = data;
    putInt32(bytes, kSaverRecordSize + 260, c.offset);
    if (c.offset == headerAt) {
      const auto header = encodeItemHeader({c.expandedSize, c.storedSize, c.imploded});
      bytes.replace(static_cast<std::size_t>(headerAt), header.size(), reinterpret_cast<const char*>(header.data()),
                    header.size());
    }
    const std::string package = "0123456789" + bytes + std::string(64, 'x');
    ByteSpanFile file(bytesOf(package), package.size());
    DataFileWalker walker(file, 10, length);
    ASSERT_EQ(walker.readDirectory(), 0);
    std::optional<ItemHeader> header;
    EXPECT_EQ(walker.readItemHeader(walker.item(1), header), c.expected);
    EXPECT_EQ(header.has_value(), c.headerRead);
  }
}

// Item 1 of a movie saver is the installer's own movie, whatever its kind says; an item of
// kind 3 copies it in any saver. Neither has a header in the file.
TEST(DataFileWalker, MovieCopiesAreTheKindThreeItemsAndAMovieSaversFirst) {
  for (const std::int32_t saverKind : {kSaverKindInstallerMovie, 0}) {
    SCOPED_TRACE(saverKind);
    DataFileImage image;
    image.record.setSaverKind(saverKind);
    image.add("saver.swf", "");
    image.add("copy.swf", "", false, kItemKindMovieCopy);
    image.add("data.bin", "d");
    Walked walked(image.bytes());
    ASSERT_EQ(walked.status, 0);
    DataFileWalker& walker = walked.walker;
    EXPECT_EQ(walker.item(1).copiesMovie, saverKind == kSaverKindInstallerMovie);
    EXPECT_TRUE(walker.item(2).copiesMovie);
    EXPECT_FALSE(walker.item(3).copiesMovie);
  }
}

TEST(DataFileWalker, VisitsEveryItemInOrderUntilTheFirstFault) {
  DataFileImage image;
  image.add("a.bin", "a");
  image.add("", "skipped");
  image.add("c.bin", "c");
  image.add("d.bin", "d");
  Walked walked(image.bytes());
  ASSERT_EQ(walked.status, 0);
  DataFileWalker& walker = walked.walker;
  std::vector<std::string> seen;
  const Status result = walker.visitItems([&seen](const DataFileItem& item) {
    seen.push_back(std::to_string(item.number) + ":" + item.record.path);
    return item.number == 3 ? Status{-604} : Status{0};
  });
  EXPECT_EQ(result, -604);
  EXPECT_EQ(seen, (std::vector<std::string>{"1:a.bin", "2:", "3:c.bin"}));
}

TEST(DataFileWalker, ReadFailuresAreReturnedAsTheSystemGaveThem) {
  DataFileImage image;
  image.add("a.bin", "abc");
  const std::string bytes = image.bytes();
  const std::uint64_t headerAt = static_cast<std::uint64_t>(directoryEnd(1));
  for (const std::uint64_t failAt : {std::uint64_t{100}, headerAt - 1}) {
    SCOPED_TRACE(failAt);
    FailingFile file(bytes, failAt);
    DataFileWalker walker(file, 0, static_cast<std::int64_t>(bytes.size()));
    EXPECT_EQ(walker.readDirectory(), 23);
  }
  FailingFile file(bytes, headerAt + 10);
  DataFileWalker walker(file, 0, static_cast<std::int64_t>(bytes.size()));
  ASSERT_EQ(walker.readDirectory(), 0);
  std::optional<ItemHeader> header;
  EXPECT_EQ(walker.readItemHeader(walker.item(1), header), 23);
  EXPECT_FALSE(header);
}

// A data file read where it lies inside a larger file: the walk sees only its stretch, a read
// ends at the stretch's end, and other readers moving the file in between change nothing.
TEST(FileSlice, AStoredDataFileIsWalkedWhereItLies) {
  DataFileImage image;
  image.add("a.bin", "abc");
  image.add("b.bin", "defgh");
  const std::string inner = image.bytes();
  const std::string outer = std::string(777, 'x') + inner + std::string(50, 'y');
  ByteSpanFile whole(bytesOf(outer), outer.size());
  FileSlice slice(whole, 777, inner.size());
  EXPECT_EQ(slice.size(), inner.size());
  DataFileWalker walker(slice, 0, static_cast<std::int64_t>(slice.size()));
  ASSERT_EQ(walker.readDirectory(), 0);
  std::vector<std::string> names;
  EXPECT_EQ(walker.visitItems([&](const DataFileItem& item) {
    whole.seek(0);  // another reader of the package in between
    names.push_back(item.record.path);
    return status::kSuccess;
  }), 0);
  EXPECT_EQ(names, (std::vector<std::string>{"a.bin", "b.bin"}));

  char tail[8] = {};
  std::size_t got = 99;
  ASSERT_EQ(slice.seek(inner.size() - 3), 0);
  EXPECT_EQ(slice.read(tail, sizeof tail, got), 0);
  EXPECT_EQ(got, 3u);
  EXPECT_EQ(std::string(tail, got), inner.substr(inner.size() - 3));
  EXPECT_EQ(slice.read(tail, sizeof tail, got), 0);
  EXPECT_EQ(got, 0u);
}

}  // namespace
}  // namespace saverkit
