// Which files a show has and the order it shows them in.
#include <gtest/gtest.h>

#include <set>

#include "picture_list.h"
#include "platform/fake/fake_file_system.h"

namespace saverkit::slideshow {
namespace {

TEST(IsPictureFile, ByExtensionInAnyCase) {
  for (const char* name : {"a.bmp", "B.JPG", "c.jpeg", "d.Jpe", "e.jfif", "f.png", "g.GIF", "h.dib", "i.tif",
                           "j.TIFF", "k.ico", "l.HEIC", "m.webp", "n.avif", "o.heif", "p.jxr"}) {
    SCOPED_TRACE(name);
    EXPECT_TRUE(isPictureFile(name));
  }
  for (const char* name : {"a.swf", "saver.dat", "bmp", ".jpg", "a.jpg.txt", "a.tga", "heic", "a.mp4", "jpg", ""}) {
    SCOPED_TRACE(name);
    EXPECT_FALSE(isPictureFile(name));
  }
  for (const char* name : {"a.mp4", "B.M4V", "c.mov", "d.wmv", "e.WebM"}) {
    SCOPED_TRACE(name);
    EXPECT_TRUE(isVideoFile(name));
    EXPECT_FALSE(isPictureFile(name));
  }
  for (const char* name : {".mp4", "mp4", "a.mp4.part", "a.avi", "a.mkv", "a.swf", ""}) {
    SCOPED_TRACE(name);
    EXPECT_FALSE(isVideoFile(name));
  }
}

TEST(CollectPictures, WalksSubfoldersSortedWithoutRegardToCase) {
  fake::FakeFileSystem files;
  const std::string product = "C:\\ProgramData\\Vantrel\\Ocean\\";
  files.addFile(product + "b.jpg", "x");
  files.addFile(product + "A.bmp", "x");
  files.addFile(product + "saver.dat", "x");
  files.addFile(product + "scenes\\deep\\c.PNG", "x");
  files.addFile(product + "Birds\\a.gif", "x");
  files.addFile(product + "b.MP4", "x");  // videos take their turn among the pictures
  files.addFolder(product + "empty");
  files.addFolderLink(product + "linked");
  files.addFile(product + "linked\\inside.jpg", "x");  // what the link shows is never walked

  EXPECT_EQ(collectPictures(files, product),
            (std::vector<std::string>{product + "A.bmp", product + "b.jpg", product + "b.MP4", product + "Birds\\a.gif",
                                      product + "scenes\\deep\\c.PNG"}));
  // The folder given without its trailing backslash reads the same.
  EXPECT_EQ(collectPictures(files, product.substr(0, product.size() - 1)).size(), 5u);
  EXPECT_EQ(collectPictures(files, product, 2).size(), 2u);
}

TEST(CompareNaturally, DigitsByValueCaseAsideFolderByFolder) {
  const std::vector<std::string> sorted{"img1.jpg", "IMG2.jpg", "img002b.jpg", "img10.jpg", "img10a.jpg",
                                        "img99999999999999999999.jpg", "imgx.jpg", "trip\\a.jpg",
                                        "trip 2\\a.jpg", "trip10\\a.jpg"};
  for (std::size_t i = 0; i < sorted.size(); ++i) {
    for (std::size_t j = 0; j < sorted.size(); ++j) {
      SCOPED_TRACE(sorted[i] + " against " + sorted[j]);
      const int expected = i < j ? -1 : i > j ? 1 : 0;
      const int result = compareNaturally(sorted[i], sorted[j]);
      EXPECT_EQ((result > 0) - (result < 0), expected);
    }
  }
  // Equal but for case or leading zeros: not equal, and the same way round both ways.
  EXPECT_NE(compareNaturally("a01.jpg", "A1.jpg"), 0);
  EXPECT_EQ(compareNaturally("a01.jpg", "A1.jpg") < 0, compareNaturally("A1.jpg", "a01.jpg") > 0);
  EXPECT_LT(compareNaturally("a.jpg", "a.jpg.bmp"), 0);
  EXPECT_EQ(compareNaturally("", ""), 0);
}

TEST(CollectPictures, NaturalOrder) {
  fake::FakeFileSystem files;
  const std::string product = "C:\\ProgramData\\Vantrel\\Trip\\";
  for (const char* name : {"img10.jpg", "img2.jpg", "Img1.jpg", "day 10\\a.jpg", "day 9\\a.jpg"}) {
    files.addFile(product + name, "x");
  }
  EXPECT_EQ(collectPictures(files, product),
            (std::vector<std::string>{product + "day 9\\a.jpg", product + "day 10\\a.jpg", product + "Img1.jpg",
                                      product + "img2.jpg", product + "img10.jpg"}));
}

TEST(CollectPictures, MissingEmptyAndLinkedFoldersGiveNothing) {
  fake::FakeFileSystem files;
  EXPECT_TRUE(collectPictures(files, "C:\\ProgramData\\Vantrel\\Gone\\").empty());
  EXPECT_TRUE(collectPictures(files, "").empty());
  files.addFolder("C:\\ProgramData\\Vantrel\\Empty");
  EXPECT_TRUE(collectPictures(files, "C:\\ProgramData\\Vantrel\\Empty\\").empty());
  files.addFolderLink("C:\\ProgramData\\Vantrel\\Linked");
  files.addFile("C:\\ProgramData\\Vantrel\\Linked\\a.jpg", "x");
  EXPECT_TRUE(collectPictures(files, "C:\\ProgramData\\Vantrel\\Linked\\").empty());
}

TEST(PictureOrder, InOrderWrapsAround) {
  PictureOrder order(3, false, 1);
  std::vector<std::size_t> shown;
  for (int i = 0; i < 7; ++i) shown.push_back(order.next());
  EXPECT_EQ(shown, (std::vector<std::size_t>{0, 1, 2, 0, 1, 2, 0}));
  PictureOrder none(0, true, 1);
  EXPECT_EQ(none.next(), 0u);
}

TEST(PictureOrder, ShuffledRoundsArePermutationsWithoutARepeatAtTheSeam) {
  for (const std::size_t count : {1u, 2u, 3u, 7u}) {
    for (std::uint32_t seed = 0; seed < 200; ++seed) {
      SCOPED_TRACE("count " + std::to_string(count) + " seed " + std::to_string(seed));
      PictureOrder order(count, true, seed);
      std::size_t previous = count;  // none yet
      for (int round = 0; round < 4; ++round) {
        std::set<std::size_t> seen;
        for (std::size_t i = 0; i < count; ++i) {
          const std::size_t shown = order.next();
          ASSERT_LT(shown, count);
          if (count > 1) {
            ASSERT_NE(shown, previous);
          }
          seen.insert(shown);
          previous = shown;
        }
        ASSERT_EQ(seen.size(), count);
      }
    }
  }
}

TEST(PictureOrder, StartsWhereAPointSays) {
  PictureOrder inOrder(4, false, 1, {2, 0, 0});
  EXPECT_EQ(inOrder.next(), 2u);
  EXPECT_EQ(inOrder.next(), 3u);
  EXPECT_EQ(inOrder.next(), 0u);
  EXPECT_EQ(PictureOrder(4, false, 1, {6, 0, 0}).next(), 2u);

  // A shuffled round taken up again goes on exactly as it would have.
  PictureOrder original(6, true, 9);
  for (int i = 0; i < 8; ++i) original.next();  // into the second round
  PictureOrder resumed(6, true, 12345, original.point());
  for (int i = 0; i < 4; ++i) EXPECT_EQ(resumed.next(), original.next());
}

TEST(PictureOrder, ShuffledRoundsDiffer) {
  PictureOrder order(8, true, 42);
  std::set<std::vector<std::size_t>> rounds;
  for (int round = 0; round < 5; ++round) {
    std::vector<std::size_t> shown;
    for (int i = 0; i < 8; ++i) shown.push_back(order.next());
    rounds.insert(shown);
  }
  EXPECT_GT(rounds.size(), 1u);
}

}  // namespace
}  // namespace saverkit::slideshow
