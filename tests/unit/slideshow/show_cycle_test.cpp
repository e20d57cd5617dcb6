// The course of a show: unreadable pictures passed over, the message only when nothing can be
// shown, the folder read again while it stands, and each show going on where the last stopped.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "platform/fake/fake_system.h"
#include "resume_point.h"
#include "show_rules.h"

namespace saverkit::slideshow {
namespace {

// A folder whose pictures can be changed between reads, and a drawer that can read some of them.
struct Folder {
  Folder(std::vector<std::string> names = {}, std::set<std::string> readableNames = {})
      : pictures(std::move(names)), readable(std::move(readableNames)) {}

  std::vector<std::string> pictures;
  std::set<std::string> readable;
  std::vector<std::string> tried;
  int reads = 0;

  ShowCycle::Collect collect() {
    return [this] {
      ++reads;
      return pictures;
    };
  }
  ShowCycle::Draw draw() {
    return [this](const std::string& path) {
      tried.push_back(path);
      return readable.count(path) > 0;
    };
  }
};

TEST(ShowCycle, OneReadableAmongUnreadableIsShownEveryTimeInEitherOrder) {
  for (const bool shuffled : {false, true}) {
    for (std::uint32_t seed = 0; seed < 100; ++seed) {
      SCOPED_TRACE(std::string(shuffled ? "shuffled" : "in order") + " seed " + std::to_string(seed));
      Folder folder{{"a.jpg", "b.jpg", "c.jpg"}, {"b.jpg"}};
      ShowCycle cycle(folder.collect(), shuffled, 2, seed);
      for (int look = 0; look < 20; ++look) {
        const ShowStep step = cycle.step(folder.draw());
        ASSERT_EQ(step.picture, "b.jpg");
        ASSERT_EQ(step.nextInMilliseconds, 2000u);
      }
      // Each unreadable picture was tried once only, and the folder read once.
      EXPECT_EQ(std::count(folder.tried.begin(), folder.tried.end(), "a.jpg"), 1);
      EXPECT_EQ(std::count(folder.tried.begin(), folder.tried.end(), "c.jpg"), 1);
      EXPECT_EQ(folder.reads, 1);
    }
  }
}

TEST(ShowCycle, ReadablePicturesAllComeRoundWhileTheUnreadableAreLeftOut) {
  Folder folder{{"1.jpg", "2.jpg", "3.jpg", "4.jpg", "5.jpg"}, {"2.jpg", "4.jpg", "5.jpg"}};
  ShowCycle cycle(folder.collect(), false, 8, 1);
  std::vector<std::string> shown;
  for (int i = 0; i < 6; ++i) shown.push_back(*cycle.step(folder.draw()).picture);
  EXPECT_EQ(shown, (std::vector<std::string>{"2.jpg", "4.jpg", "5.jpg", "2.jpg", "4.jpg", "5.jpg"}));
}

TEST(ShowCycle, AVideoNotWantedHereWaitsForItsTurnAndIsNeverRuledOut) {
  Folder folder{{"1.jpg", "2.mp4", "3.jpg"}, {"1.jpg", "2.mp4", "3.jpg"}};
  ShowCycle cycle(folder.collect(), false, 8, 1);
  bool videosWanted = false;
  const ShowCycle::Draw draw = [&](const std::string& path) {
    folder.tried.push_back(path);
    return isVideoFile(path) && !videosWanted ? ShowCycle::kNotHere : 1;
  };
  std::vector<std::string> shown;
  for (int i = 0; i < 3; ++i) shown.push_back(*cycle.step(draw).picture);
  EXPECT_EQ(shown, (std::vector<std::string>{"1.jpg", "3.jpg", "1.jpg"}));
  EXPECT_EQ(cycle.showable(), 3u);
  videosWanted = true;
  EXPECT_EQ(cycle.step(draw).picture, "2.mp4");
  // Where nothing is wanted, the step gives nothing and rules nothing out.
  Folder videos{{"a.mp4", "b.wmv"}, {"a.mp4", "b.wmv"}};
  ShowCycle only(videos.collect(), true, 8, 3);
  videosWanted = false;
  EXPECT_FALSE(only.step(draw).picture);
  EXPECT_EQ(only.showable(), 2u);
}

TEST(ShowCycle, TheMessageOnlyWhenNothingIsReadableThenTheFolderIsReadEveryMinute) {
  for (const bool shuffled : {false, true}) {
    SCOPED_TRACE(shuffled ? "shuffled" : "in order");
    Folder folder;  // empty at first
    ShowCycle cycle(folder.collect(), shuffled, 5, 7);
    ShowStep step = cycle.step(folder.draw());
    EXPECT_FALSE(step.picture);
    EXPECT_EQ(step.nextInMilliseconds, kRescanMilliseconds);

    // Read again: each unreadable picture tried once at every reading (it may have been half copied).
    folder.pictures = {"a.jpg", "b.jpg"};
    step = cycle.step(folder.draw());
    EXPECT_FALSE(step.picture);
    EXPECT_EQ(step.nextInMilliseconds, kRescanMilliseconds);
    cycle.step(folder.draw());
    EXPECT_EQ(folder.tried.size(), 4u);

    folder.pictures.push_back("new.jpg");
    folder.readable.insert("new.jpg");
    step = cycle.step(folder.draw());
    EXPECT_EQ(step.picture, "new.jpg");
    EXPECT_EQ(step.nextInMilliseconds, 5000u);
    // Once a picture is shown, the folder is no longer read at every step.
    cycle.step(folder.draw());
    EXPECT_EQ(folder.reads, 4);
  }
}

TEST(ShowCycle, InOrderGoesOnAfterThePictureShownLastFoundByName) {
  Folder folder{{"img1.jpg", "img2.jpg", "img10.jpg"}, {"img1.jpg", "img2.jpg", "img10.jpg"}};
  ShowCycle first(folder.collect(), false, 8, 1);
  first.step(folder.draw());
  first.step(folder.draw());
  EXPECT_EQ(first.resumePoint().lastPicture, "img2.jpg");

  ShowCycle second(folder.collect(), false, 8, 1, first.resumePoint());
  EXPECT_EQ(second.step(folder.draw()).picture, "img10.jpg");
  EXPECT_EQ(second.step(folder.draw()).picture, "img1.jpg");

  // A picture added before the stored one, and the stored one gone: the next by name.
  folder.pictures = {"img0.jpg", "img1.jpg", "img3.jpg", "img10.jpg"};
  folder.readable = {"img0.jpg", "img1.jpg", "img3.jpg", "img10.jpg"};
  ShowCycle third(folder.collect(), false, 8, 1, {"img2.jpg", {}});
  EXPECT_EQ(third.step(folder.draw()).picture, "img3.jpg");
  // After the last picture the show starts from the first.
  ShowCycle fourth(folder.collect(), false, 8, 1, {"img10.jpg", {}});
  EXPECT_EQ(fourth.step(folder.draw()).picture, "img0.jpg");
}

TEST(ShowCycle, ShuffledShowsTogetherGoThroughEverythingBeforeARepeat) {
  std::vector<std::string> names;
  for (int i = 0; i < 9; ++i) names.push_back("p" + std::to_string(i) + ".jpg");
  Folder folder{names, std::set<std::string>(names.begin(), names.end())};
  for (std::uint32_t seed = 0; seed < 50; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    // Three shows of 4, 2 and 3 pictures, each starting where the last stopped (with its own seed).
    ResumePoint point;
    std::set<std::string> seen;
    for (const int length : {4, 2, 3}) {
      ShowCycle cycle(folder.collect(), true, 8, seed * 3 + static_cast<std::uint32_t>(length), point);
      for (int i = 0; i < length; ++i) seen.insert(*cycle.step(folder.draw()).picture);
      point = cycle.resumePoint();
    }
    ASSERT_EQ(seen.size(), names.size());
  }
  // With another number of pictures the kept round is no use: a new one starts.
  Folder fewer{{"p0.jpg", "p1.jpg"}, {"p0.jpg", "p1.jpg"}};
  ShowCycle cycle(fewer.collect(), true, 8, 5, {"", {3, 12345, 9}});
  std::set<std::string> seen{*cycle.step(fewer.draw()).picture, *cycle.step(fewer.draw()).picture};
  EXPECT_EQ(seen.size(), 2u);
}

TEST(ShuffleRound, TextRoundTripAndForeignTexts) {
  const OrderPoint point{7, 4000000000u, 12};
  const auto back = parseShuffleRound(shuffleRoundText(point));
  ASSERT_TRUE(back);
  EXPECT_EQ(back->position, 7u);
  EXPECT_EQ(back->roundSeed, 4000000000u);
  EXPECT_EQ(back->count, 12u);
  EXPECT_TRUE(parseShuffleRound("12 1 12"));   // a finished round
  EXPECT_TRUE(parseShuffleRound("0 0 100000"));
  for (const char* text : {"", "1 2", "1 2 3 4", "13 1 12", "-1 2 3", "1 x 3", "1  2 3", "1 2 3 ",
                           "0 4294967296 3", "0 1 100001"}) {
    SCOPED_TRACE(text);
    EXPECT_FALSE(parseShuffleRound(text));
  }
}

TEST(ResumePoint, KeptPerSaverUnderTheUserBesideItsSettings) {
  fake::FakeRegistry registry;
  EXPECT_TRUE(loadResumePoint(registry, "Ocean Waves").lastPicture.empty());
  ASSERT_TRUE(saveResumePoint(registry, "Ocean Waves", {"C:\\P\\b.jpg", {2, 99, 5}}));
  const std::string key = "Software\\Saverkit\\Slideshow\\Ocean Waves";
  EXPECT_EQ(registry.value(RegistryRoot::kCurrentUser, key, "LastPicture"), "C:\\P\\b.jpg");
  EXPECT_EQ(registry.value(RegistryRoot::kCurrentUser, key, "ShuffleRound"), "2 99 5");
  const ResumePoint loaded = loadResumePoint(registry, "Ocean Waves");
  EXPECT_EQ(loaded.lastPicture, "C:\\P\\b.jpg");
  EXPECT_EQ(loaded.round.roundSeed, 99u);
  EXPECT_EQ(loaded.round.count, 5u);
  EXPECT_TRUE(loadResumePoint(registry, "Other").lastPicture.empty());

  EXPECT_FALSE(saveResumePoint(registry, "..\\Run", {"x", {}}));
  registry.readOnlyRoots.insert(RegistryRoot::kCurrentUser);
  EXPECT_FALSE(saveResumePoint(registry, "Ocean Waves", {"x", {}}));
}

}  // namespace
}  // namespace saverkit::slideshow
