// The EXIF Orientation of a JPEG's first bytes: found in either byte order and after other
// segments; anything damaged, cut short or missing reads as upright, never past the bytes given.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "exif.h"

namespace saverkit::slideshow {
namespace {

using Bytes = std::vector<std::uint8_t>;

void put16(Bytes& out, std::uint32_t value, bool big) {
  out.push_back(static_cast<std::uint8_t>(big ? value >> 8 : value));
  out.push_back(static_cast<std::uint8_t>(big ? value : value >> 8));
}
void put32(Bytes& out, std::uint32_t value, bool big) {
  put16(out, big ? value >> 16 : value & 0xFFFF, big);
  put16(out, big ? value & 0xFFFF : value >> 16, big);
}

// A TIFF block whose first directory holds one tag.
Bytes tiffWith(std::uint32_t tag, std::uint32_t type, std::uint32_t count, std::uint32_t value, bool big) {
  Bytes tiff = big ? Bytes{'M', 'M', 0, '*'} : Bytes{'I', 'I', '*', 0};
  put32(tiff, 8, big);
  put16(tiff, 2, big);  // two entries: another tag first
  put16(tiff, 0x010F, big), put16(tiff, 2, big), put32(tiff, 4, big), put32(tiff, 0, big);
  put16(tiff, tag, big), put16(tiff, type, big), put32(tiff, count, big), put16(tiff, value, big), put16(tiff, 0, big);
  put32(tiff, 0, big);
  return tiff;
}

Bytes segment(std::uint8_t marker, const Bytes& body) {
  Bytes out = {0xFF, marker};
  put16(out, static_cast<std::uint32_t>(body.size() + 2), true);
  out.insert(out.end(), body.begin(), body.end());
  return out;
}

Bytes jpegWith(const Bytes& tiff, bool jfifFirst = false) {
  Bytes out = {0xFF, 0xD8};
  if (jfifFirst) {
    const Bytes jfif = segment(0xE0, Bytes{'J', 'F', 'I', 'F', 0, 1, 1, 0, 0, 1, 0, 1, 0, 0});
    out.insert(out.end(), jfif.begin(), jfif.end());
  }
  Bytes body = {'E', 'x', 'i', 'f', 0, 0};
  body.insert(body.end(), tiff.begin(), tiff.end());
  const Bytes exif = segment(0xE1, body);
  out.insert(out.end(), exif.begin(), exif.end());
  const Bytes scan = {0xFF, 0xDA, 0x00, 0x08, 1, 2, 3, 4, 5, 6};
  out.insert(out.end(), scan.begin(), scan.end());
  return out;
}

int orientationOf(const Bytes& bytes) { return exifOrientation(bytes.data(), bytes.size()); }

TEST(ExifOrientation, FoundInEitherByteOrderAndAfterOtherSegments) {
  for (const bool big : {false, true}) {
    for (std::uint32_t value = 1; value <= 8; ++value) {
      SCOPED_TRACE(std::to_string(value) + (big ? " big-endian" : " little-endian"));
      EXPECT_EQ(orientationOf(jpegWith(tiffWith(0x0112, 3, 1, value, big))), static_cast<int>(value));
      EXPECT_EQ(orientationOf(jpegWith(tiffWith(0x0112, 3, 1, value, big), true)), static_cast<int>(value));
    }
  }
}

TEST(ExifOrientation, AnythingElseReadsAsUpright) {
  const Bytes good = jpegWith(tiffWith(0x0112, 3, 1, 6, false));
  ASSERT_EQ(orientationOf(good), 6);
  const struct {
    const char* what;
    Bytes bytes;
  } cases[] = {
      {"values out of range", jpegWith(tiffWith(0x0112, 3, 1, 9, false))},
      {"zero", jpegWith(tiffWith(0x0112, 3, 1, 0, false))},
      {"a LONG, not a SHORT", jpegWith(tiffWith(0x0112, 4, 1, 6, false))},
      {"two values", jpegWith(tiffWith(0x0112, 3, 2, 6, false))},
      {"another tag only", jpegWith(tiffWith(0x0113, 3, 1, 6, false))},
      {"not a JPEG", Bytes(good.begin() + 2, good.end())},
      {"nothing", Bytes{}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(orientationOf(c.bytes), 1);
  }
  // Cut anywhere before the tag's value, the bytes are read no further than given (the sanitizer
  // sees each cut as a buffer of its own).
  for (std::size_t length = 0; length < good.size(); ++length) {
    const Bytes cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(length));
    const int found = orientationOf(cut);
    EXPECT_TRUE(found == 1 || found == 6) << length;
  }
  // A directory that points past the block, and a segment that claims more than there is.
  Bytes farDirectory = good;
  farDirectory[2 + 4 + 6 + 4] = 0xF0;  // the directory's offset, low byte
  EXPECT_EQ(orientationOf(farDirectory), 1);
  Bytes longSegment = good;
  longSegment[4] = 0x7F;
  EXPECT_EQ(orientationOf(longSegment), 1);
}

}  // namespace
}  // namespace saverkit::slideshow

namespace saverkit::slideshow {
namespace {

// A TIFF block whose first directory points (tag 0x8769, `pointerType`) to an Exif directory
// holding DateTimeOriginal `text` (with its zero when `zero`) as type `dateType`, the text after
// both, at the block's end.
Bytes tiffWithDate(const std::string& text, bool big, std::uint32_t pointerType = 4, std::uint32_t dateType = 2,
                   bool zero = true) {
  Bytes tiff = big ? Bytes{'M', 'M', 0, '*'} : Bytes{'I', 'I', '*', 0};
  put32(tiff, 8, big);
  put16(tiff, 1, big);  // first directory at 8: one entry, then the next directory's place
  put16(tiff, 0x8769, big), put16(tiff, pointerType, big), put32(tiff, 1, big), put32(tiff, 26, big);
  put32(tiff, 0, big);
  put16(tiff, 2, big);  // Exif directory at 26: another tag first
  put16(tiff, 0x829A, big), put16(tiff, 5, big), put32(tiff, 1, big), put32(tiff, 0, big);
  put16(tiff, 0x9003, big), put16(tiff, dateType, big), put32(tiff, static_cast<std::uint32_t>(text.size() + zero), big);
  put32(tiff, 56, big);
  put32(tiff, 0, big);
  tiff.insert(tiff.end(), text.begin(), text.end());  // at 56
  if (zero) tiff.push_back(0);
  return tiff;
}

std::optional<CalendarDate> dateOf(const Bytes& bytes) { return exifDateTaken(bytes.data(), bytes.size()); }

TEST(ExifDateTaken, FoundInEitherByteOrderAndAfterOtherSegments) {
  for (const bool big : {false, true}) {
    for (const bool jfifFirst : {false, true}) {
      SCOPED_TRACE(std::string(big ? "big-endian" : "little-endian") + (jfifFirst ? ", after JFIF" : ""));
      const auto date = dateOf(jpegWith(tiffWithDate("2024:02:29 17:45:03", big), jfifFirst));
      ASSERT_TRUE(date);
      EXPECT_EQ(date->year, 2024);
      EXPECT_EQ(date->month, 2);
      EXPECT_EQ(date->day, 29);
    }
  }
  // The pointer's type written as IFD (13), and a text with no time.
  EXPECT_TRUE(dateOf(jpegWith(tiffWithDate("1999:12:31 00:00:00", false, 13))));
  EXPECT_TRUE(dateOf(jpegWith(tiffWithDate("1800:01:01", true))));
}

TEST(ExifDateTaken, NothingForWhatIsNoRealDate) {
  const Bytes good = jpegWith(tiffWithDate("2023:06:15 12:00:00", false));
  ASSERT_TRUE(dateOf(good));
  const struct {
    const char* what;
    Bytes bytes;
  } cases[] = {
      {"a clock never set", jpegWith(tiffWithDate("0000:00:00 00:00:00", false))},
      {"blanks", jpegWith(tiffWithDate("                   ", false))},
      {"before 1800", jpegWith(tiffWithDate("1799:12:31 00:00:00", false))},
      {"month 13", jpegWith(tiffWithDate("2023:13:01 00:00:00", false))},
      {"day 0", jpegWith(tiffWithDate("2023:06:00 00:00:00", false))},
      {"June 31", jpegWith(tiffWithDate("2023:06:31 00:00:00", false))},
      {"29 February of a common year", jpegWith(tiffWithDate("2023:02:29 00:00:00", false))},
      {"29 February 1900", jpegWith(tiffWithDate("1900:02:29 00:00:00", false))},
      {"dashes", jpegWith(tiffWithDate("2023-06-15 12:00:00", false))},
      {"a sign", jpegWith(tiffWithDate("+023:06:15 12:00:00", false))},
      {"too short", jpegWith(tiffWithDate("2023:06:1", false))},
      {"not ASCII", jpegWith(tiffWithDate("2023:06:15 12:00:00", false, 4, 7))},
      {"the pointer a SHORT", jpegWith(tiffWithDate("2023:06:15 12:00:00", false, 3))},
      {"no Exif directory", jpegWith(tiffWith(0x0112, 3, 1, 6, false))},
      {"not a JPEG", Bytes(good.begin() + 2, good.end())},
      {"nothing", Bytes{}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_FALSE(dateOf(c.bytes));
  }
  // Cut anywhere, never read past the end (each cut is a buffer of its own for the sanitizer).
  for (std::size_t length = 0; length < good.size(); ++length) {
    const Bytes cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(length));
    const auto found = dateOf(cut);
    EXPECT_TRUE(!found || found->day == 15) << length;
  }
  // Offsets pointing past the block: the Exif directory's, then the text's (low bytes).
  const std::size_t tiffAt = 2 + 4 + 6, pointerField = tiffAt + 18, textField = tiffAt + 48;
  for (const std::size_t field : {pointerField, textField}) {
    Bytes far = good;
    far[field] = 0xF0;
    EXPECT_FALSE(dateOf(far)) << field;
  }
  // A date without its zero that ends exactly at the block's end reads; one byte later, nothing.
  Bytes edge = jpegWith(tiffWithDate("2023:06:15", false, 4, 2, false));
  ASSERT_TRUE(dateOf(edge));
  ++edge[textField];
  EXPECT_FALSE(dateOf(edge));
}

}  // namespace
}  // namespace saverkit::slideshow
