// A caption's words, its plate's place and the plate's pixels.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "caption_layout.h"

namespace saverkit::slideshow {
namespace {

TEST(CaptionFileName, TheNameWithoutFolderOrExtension) {
  const struct {
    const wchar_t* path;
    const wchar_t* name;
  } cases[] = {
      {L"C:\\Photos\\Beach.jpg", L"Beach"},        {L"C:\\Photos\\Beach.2019.JPEG", L"Beach.2019"},
      {L"\\\\server\\share\\a b\\Snow", L"Snow"}, {L"C:\\Photo.d\\Snow", L"Snow"},
      {L"D:/mixed/slashes.png", L"slashes"},       {L"C:Drive-relative.bmp", L"Drive-relative"},
      {L"C:\\Photos\\.jpg", L".jpg"},              {L"Bare.gif", L"Bare"},
      {L"C:\\Photos\\", L""},                      {L"", L""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.path, c.path + std::wstring_view(c.path).size()));
    EXPECT_EQ(captionFileName(c.path), c.name);
  }
}

TEST(CaptionDate, TheDayTakenElseTheDayWritten) {
  // A JPEG start, an EXIF block whose Exif directory holds DateTimeOriginal 2021:08:09.
  const std::string photo = std::string("\xFF\xD8\xFF\xE1\x00\x48" "Exif\0\0II*\0\x08\0\0\0\x01\0\x69\x87\x04\0\x01\0\0\0"
                                        "\x1A\0\0\0\0\0\0\0\x01\0\x03\x90\x02\0\x14\0\0\0\x2C\0\0\0\0\0\0\0",
                                        56) +
                            std::string("2021:08:09 10:11:12\0\xFF\xD9", 22);
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(photo.data());
  const CalendarDate written{2024, 1, 2};
  const auto taken = captionDate(bytes, photo.size(), written);
  ASSERT_TRUE(taken);
  EXPECT_EQ(taken->year, 2021);
  EXPECT_EQ(taken->month, 8);
  EXPECT_EQ(taken->day, 9);
  // A picture without one (here: cut before its date), with and without a last-written day.
  EXPECT_EQ(captionDate(bytes, 60, written)->year, 2024);
  EXPECT_FALSE(captionDate(bytes, 60, std::nullopt));
}

TEST(CaptionPlate, BottomRightInsideTheAreaScaledWithTheScreen) {
  const Box area{100, 50, 1280, 800};
  for (const std::uint32_t dpi : {96u, 144u, 192u}) {
    SCOPED_TRACE(dpi);
    const CaptionMetrics metrics = captionMetrics(dpi);
    EXPECT_EQ(metrics.fontHeight, static_cast<std::int32_t>(20 * dpi / 96));
    const Box plate = captionPlate(area, 200, 30, metrics);
    EXPECT_EQ(plate.left + plate.width, area.left + area.width - metrics.margin);
    EXPECT_EQ(plate.top + plate.height, area.top + area.height - metrics.margin);
    EXPECT_EQ(plate.width, 200 + 2 * metrics.paddingX);
    EXPECT_EQ(plate.height, 30 + 2 * metrics.paddingY);
  }
  // Never smaller than at 96 dpi (a preview reports less).
  EXPECT_EQ(captionMetrics(48).fontHeight, captionMetrics(96).fontHeight);
  // A text wider than the area: the plate takes the width there is, margins kept.
  const CaptionMetrics metrics = captionMetrics(96);
  const Box wide = captionPlate({0, 0, 300, 200}, 5000, 30, metrics);
  EXPECT_EQ(wide.left, metrics.margin);
  EXPECT_EQ(wide.width, 300 - 2 * metrics.margin);
  // Too small for a plate with its margins: just big enough, then one pixel less each way.
  const std::int32_t height = 30 + 2 * metrics.paddingY + 2 * metrics.margin;
  const std::int32_t width = 2 * metrics.paddingX + 2 * metrics.margin + 1;
  EXPECT_GT(captionPlate({0, 0, width, height}, 100, 30, metrics).width, 0);
  EXPECT_EQ(captionPlate({0, 0, width, height - 1}, 100, 30, metrics).width, 0);
  EXPECT_EQ(captionPlate({0, 0, width - 1, height}, 100, 30, metrics).width, 0);
}

TEST(DarkenPlate, DarkensInsideTheRoundedBoxOnly) {
  constexpr std::int32_t kWidth = 40, kHeight = 30, kStride = kWidth * 4 + 4;
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(kStride) * kHeight, 200);
  const PixelView pixels{bytes.data(), kWidth, kHeight, kStride};
  // Reaching past the right and bottom edges: clipped there.
  darkenPlate(pixels, {10, 8, 40, 30}, 6);
  auto level = [&](std::int32_t x, std::int32_t y) { return bytes[static_cast<std::size_t>(y) * kStride + x * 4]; };
  const int dark = 200 * kPlateBrightness >> 8;
  EXPECT_EQ(level(20, 20), dark);
  EXPECT_EQ(level(kWidth - 1, kHeight - 1), dark);
  EXPECT_EQ(level(9, 20), 200);   // left of it
  EXPECT_EQ(level(20, 7), 200);   // above it
  EXPECT_EQ(level(10, 8), 200);   // its rounded corner
  EXPECT_EQ(level(16, 8), dark);  // the top edge past the corner
  EXPECT_EQ(level(10, 14), dark);
  // The row padding is no pixel.
  EXPECT_EQ(bytes[static_cast<std::size_t>(20) * kStride + kWidth * 4], 200);
  // Wholly outside, or empty: nothing changes.
  const std::vector<std::uint8_t> before = bytes;
  darkenPlate(pixels, {-50, -50, 20, 20}, 4);
  darkenPlate(pixels, {60, 5, 10, 10}, 4);
  darkenPlate(pixels, {5, 5, 0, 10}, 4);
  EXPECT_EQ(bytes, before);
}

}  // namespace
}  // namespace saverkit::slideshow
