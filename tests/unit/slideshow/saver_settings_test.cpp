// A user's settings: what the dialog accepts, what stored values mean, and the round trip
// through the registry.
#include <gtest/gtest.h>

#include <map>

#include "platform/fake/fake_file_system.h"
#include "platform/fake/fake_system.h"
#include "saver_settings.h"

namespace saverkit::slideshow {
namespace {

TEST(ParseSeconds, WholeNumbersWithinTheBounds) {
  EXPECT_EQ(parseSeconds("2"), 2);
  EXPECT_EQ(parseSeconds(" 600 "), 600);
  EXPECT_EQ(parseSeconds("017"), 17);
  for (const char* text : {"1", "601", "0", "-5", "+5", "", "  ", "5s", "2.5", "99999999999"}) {
    SCOPED_TRACE(text);
    EXPECT_FALSE(parseSeconds(text));
  }
}

TEST(ParseVolume, ZeroToAHundred) {
  EXPECT_EQ(parseVolume("0"), 0);
  EXPECT_EQ(parseVolume(" 100"), 100);
  for (const char* text : {"101", "-1", "", "loud", "50%"}) {
    SCOPED_TRACE(text);
    EXPECT_FALSE(parseVolume(text));
  }
}

TEST(SettingsFromStored, DefaultsClampsAndWords) {
  const SaverSettings defaults = settingsFromStored(std::nullopt, std::nullopt, std::nullopt, std::nullopt, std::nullopt);
  EXPECT_EQ(defaults.secondsPerPicture, kDefaultSeconds);
  EXPECT_FALSE(defaults.shuffled);
  EXPECT_EQ(defaults.scaling, Scaling::kFit);
  EXPECT_EQ(defaults.backdrop, Backdrop::kBlurred);
  EXPECT_EQ(defaults.caption, Caption::kNone);

  EXPECT_EQ(settingsFromStored("1", {}, {}).secondsPerPicture, kMinSeconds);
  EXPECT_EQ(settingsFromStored("-40", {}, {}).secondsPerPicture, kMinSeconds);
  EXPECT_EQ(settingsFromStored("9999", {}, {}).secondsPerPicture, kMaxSeconds);
  EXPECT_EQ(settingsFromStored("many", {}, {}).secondsPerPicture, kDefaultSeconds);
  EXPECT_EQ(settingsFromStored(" 30 ", {}, {}).secondsPerPicture, 30);

  EXPECT_TRUE(settingsFromStored({}, "Shuffled", {}).shuffled);
  EXPECT_FALSE(settingsFromStored({}, "random", {}).shuffled);
  EXPECT_EQ(settingsFromStored({}, {}, "FILL").scaling, Scaling::kFill);
  EXPECT_EQ(settingsFromStored({}, {}, "stretch").scaling, Scaling::kFit);

  EXPECT_EQ(settingsFromStored({}, {}, {}, " Black", {}).backdrop, Backdrop::kBlack);
  EXPECT_EQ(settingsFromStored({}, {}, {}, "grey", {}).backdrop, Backdrop::kBlurred);
  EXPECT_EQ(settingsFromStored({}, {}, {}, {}, "NAME ").caption, Caption::kFileName);
  EXPECT_EQ(settingsFromStored({}, {}, {}, {}, "date").caption, Caption::kDateTaken);
  EXPECT_EQ(settingsFromStored({}, {}, {}, {}, "none").caption, Caption::kNone);
  EXPECT_EQ(settingsFromStored({}, {}, {}, {}, "filename").caption, Caption::kNone);
}

TEST(SettingsFromValues, VideosAreSilentEverywhereUnlessTheUserSaysOtherwise) {
  const auto from = [](std::map<std::string, std::string> values) {
    return settingsFromValues([values](const char* name) -> std::optional<std::string> {
      const auto found = values.find(name);
      if (found == values.end()) return std::nullopt;
      return found->second;
    });
  };
  const SaverSettings none = from({});
  EXPECT_FALSE(none.videoSound);
  EXPECT_EQ(none.videoVolume, kDefaultVolume);
  EXPECT_FALSE(none.videosOnPrimaryOnly);
  const SaverSettings set = from({{"VideoSound", " ON"}, {"VideoVolume", "80"}, {"VideoMonitors", "primary"}});
  EXPECT_TRUE(set.videoSound);
  EXPECT_EQ(set.videoVolume, 80);
  EXPECT_TRUE(set.videosOnPrimaryOnly);
  EXPECT_EQ(from({{"VideoVolume", "250"}}).videoVolume, 100);
  EXPECT_EQ(from({{"VideoVolume", "-5"}}).videoVolume, 0);
  EXPECT_EQ(from({{"VideoVolume", "loud"}}).videoVolume, kDefaultVolume);
  EXPECT_FALSE(from({{"VideoSound", "yes"}}).videoSound);
  EXPECT_FALSE(from({{"VideoMonitors", "main"}}).videosOnPrimaryOnly);
}

TEST(SaverSettings, RoundTripPerSaverUnderTheUser) {
  fake::FakeRegistry registry;
  EXPECT_EQ(loadSettings(registry, "Ocean Waves").secondsPerPicture, kDefaultSeconds);
  ASSERT_TRUE(saveSettings(registry, "Ocean Waves", {45, true, Scaling::kFill, Backdrop::kBlack, Caption::kDateTaken}));
  const std::string key = "Software\\Saverkit\\Slideshow\\Ocean Waves";
  EXPECT_EQ(registry.value(RegistryRoot::kCurrentUser, key, "SecondsPerPicture"), "45");
  EXPECT_EQ(registry.value(RegistryRoot::kCurrentUser, key, "Order"), "shuffled");
  EXPECT_EQ(registry.value(RegistryRoot::kCurrentUser, key, "Scaling"), "fill");
  EXPECT_EQ(registry.value(RegistryRoot::kCurrentUser, key, "Backdrop"), "black");
  EXPECT_EQ(registry.value(RegistryRoot::kCurrentUser, key, "Caption"), "date");

  const SaverSettings loaded = loadSettings(registry, "Ocean Waves");
  EXPECT_EQ(loaded.secondsPerPicture, 45);
  EXPECT_TRUE(loaded.shuffled);
  EXPECT_EQ(loaded.scaling, Scaling::kFill);
  EXPECT_EQ(loaded.backdrop, Backdrop::kBlack);
  EXPECT_EQ(loaded.caption, Caption::kDateTaken);
  // Every caption and backdrop reads back as it was saved.
  for (const Caption caption : {Caption::kNone, Caption::kFileName, Caption::kDateTaken}) {
    SaverSettings settings;
    settings.caption = caption;
    ASSERT_TRUE(saveSettings(registry, "Ocean Waves", settings));
    EXPECT_EQ(loadSettings(registry, "Ocean Waves").caption, caption);
    EXPECT_EQ(loadSettings(registry, "Ocean Waves").backdrop, Backdrop::kBlurred);
  }
  EXPECT_EQ(loadSettings(registry, "Other Saver").secondsPerPicture, kDefaultSeconds);

  SaverSettings video;
  video.videoSound = true;
  video.videoVolume = 30;
  video.videosOnPrimaryOnly = true;
  ASSERT_TRUE(saveSettings(registry, "Ocean Waves", video));
  EXPECT_EQ(registry.value(RegistryRoot::kCurrentUser, key, "VideoSound"), "on");
  EXPECT_EQ(registry.value(RegistryRoot::kCurrentUser, key, "VideoVolume"), "30");
  EXPECT_EQ(registry.value(RegistryRoot::kCurrentUser, key, "VideoMonitors"), "primary");
  const SaverSettings back = loadSettings(registry, "Ocean Waves");
  EXPECT_TRUE(back.videoSound && back.videosOnPrimaryOnly);
  EXPECT_EQ(back.videoVolume, 30);
}

TEST(SaverSettings, NamesThatWouldReachAnotherKeyAndRefusedWrites) {
  fake::FakeRegistry registry;
  EXPECT_FALSE(saveSettings(registry, "..\\..\\Run", {}));
  EXPECT_FALSE(saveSettings(registry, "", {}));
  EXPECT_TRUE(registry.keys[RegistryRoot::kCurrentUser].empty());
  registry.readOnlyRoots.insert(RegistryRoot::kCurrentUser);
  EXPECT_FALSE(saveSettings(registry, "Ocean Waves", {}));
}

}  // namespace
}  // namespace saverkit::slideshow

namespace saverkit::slideshow {
namespace {

// The show as the author set it up, from the product folder, under each user's own settings.
TEST(AuthorDefaults, TheProductFoldersShowFileUnderTheUsersOwnSettings) {
  const std::string product = "C:\\ProgramData\\Vantrel\\Reef\\";
  fake::FakeFileSystem files;
  files.addFolder(product);
  // No file: the engine's own defaults.
  EXPECT_EQ(authorDefaults(files, product).backdrop, Backdrop::kBlurred);
  files.addFile(product + "saverkit-show.ini",
                "SecondsPerPicture=20\r\nOrder=shuffled\r\nscaling = fill\nBackdrop=black\nCaption=date\nColour=teal\n");
  const SaverSettings author = authorDefaults(files, product);
  EXPECT_EQ(author.secondsPerPicture, 20);
  EXPECT_TRUE(author.shuffled);
  EXPECT_EQ(author.scaling, Scaling::kFill);
  EXPECT_EQ(author.backdrop, Backdrop::kBlack);
  EXPECT_EQ(author.caption, Caption::kDateTaken);
  // A user who stored only some values keeps the author's for the rest; one who stored all wins.
  fake::FakeRegistry registry;
  registry.openKey(RegistryRoot::kCurrentUser, std::string(kSettingsKeyPrefix) + "Reef", KeyAccess::kCreate)
      ->setString("Order", "sorted");
  const SaverSettings some = loadSettings(registry, "Reef", author);
  EXPECT_FALSE(some.shuffled);
  EXPECT_EQ(some.secondsPerPicture, 20);
  EXPECT_EQ(some.caption, Caption::kDateTaken);
  ASSERT_TRUE(saveSettings(registry, "Reef", SaverSettings{}));
  const SaverSettings all = loadSettings(registry, "Reef", author);
  EXPECT_EQ(all.secondsPerPicture, kDefaultSeconds);
  EXPECT_EQ(all.backdrop, Backdrop::kBlurred);
  EXPECT_EQ(all.caption, Caption::kNone);
  // A file larger than a show file may be is not read at all.
  files.addFile(product + "saverkit-show.ini", "Backdrop=black\n" + std::string(5000, '#'));
  EXPECT_EQ(authorDefaults(files, product).backdrop, Backdrop::kBlurred);
}

}  // namespace
}  // namespace saverkit::slideshow
