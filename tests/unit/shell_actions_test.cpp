// Closing the Display control panel, the read-me, the start-up shortcut and CRC-32.
#include <gtest/gtest.h>

#include "common/crc32.h"
#include "installer/fake/fake_platform.h"
#include "system/shell_actions.h"

namespace saverkit {
namespace {

TEST(CloseDisplayProperties, PressesCancelInTheFirstTitleFound) {
  fake::FakePlatform fakes;
  closeDisplayProperties(fakes.messaging, fakes.texts);
  EXPECT_TRUE(fakes.messaging.clicks.empty());

  fakes.messaging.windows = {{10, "Screen Saver Settings"}, {11, "Display Properties"}};
  closeDisplayProperties(fakes.messaging, fakes.texts);
  ASSERT_EQ(fakes.messaging.clicks.size(), 1u);
  EXPECT_EQ(fakes.messaging.clicks[0], std::make_pair(WindowHandle{11}, 2));
}

TEST(CloseDisplayProperties, TranslatedInstallerStillClosesAnEnglishPanel) {
  fake::FakePlatform fakes;
  fakes.texts.translations[TextId::kDisplayProperties] = "Eigenschaften von Anzeige";
  fakes.texts.translations[TextId::kScreenSaverSettings] = "Bildschirmschonereinstellungen";
  fakes.messaging.windows = {{20, "Display Properties"}, {21, "Bildschirmschonereinstellungen"}};
  closeDisplayProperties(fakes.messaging, fakes.texts);
  ASSERT_EQ(fakes.messaging.clicks.size(), 1u);
  EXPECT_EQ(fakes.messaging.clicks[0].first, 21u);
}

TEST(OpenReadMe, OpensTheCopyInTheProductFolderOnlyWhenCarried) {
  fake::FakeShell shell;
  openReadMe(shell, 5, false, "C:\\PD\\Vantrel\\Ocean\\", "Read Me.txt");
  EXPECT_TRUE(shell.opened.empty());
  openReadMe(shell, 5, true, "C:\\PD\\Vantrel\\Ocean\\", "Read Me.txt");
  EXPECT_EQ(shell.opened, std::vector<std::string>{"C:\\PD\\Vantrel\\Ocean\\Read Me.txt"});
}

TEST(Crc32, StandardCheckValuesAndSelfTest) {
  const auto ignore = [](const std::string&) {};
  EXPECT_EQ(crc32OfText("123456789", ignore), 0xCBF43926u);
  EXPECT_EQ(crc32OfText("", ignore), 0u);
  EXPECT_EQ(crc32OfText("a", ignore), 0xE8B7BE43u);

  Crc32Table broken = crc32Table();
  broken[17] ^= 1;
  std::vector<std::string> reports;
  EXPECT_FALSE(crc32OfText("123456789", [&](const std::string& m) { reports.push_back(m); }, broken));
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].rfind("CRC32 Table CRC32 is ", 0), 0u);
  EXPECT_EQ(reports[0].substr(29), ", expecting $6FCF9E13");
  EXPECT_EQ(crc32SelfTestMessage(0xABCDEF01u), "CRC32 Table CRC32 is ABCDEF01, expecting $6FCF9E13");
}

TEST(StartupShortcut, NameFollowsTheInstallerPathExactly) {
  fake::FakePlatform fakes;
  const auto ignore = [](const std::string&) {};
  const std::string path = "C:\\Downloads\\Ocean Installer.exe";
  const std::string name = startupShortcutName(*crc32OfText(path, ignore));
  const std::string startup = "C:\\Documents and Settings\\user\\Start Menu\\Programs\\Startup\\";
  fakes.files.addFile(startup + name, "lnk");
  fakes.files.addFile(startup + "other.lnk", "lnk");
  removeStartupShortcut(fakes.files, fakes.system, "c:\\downloads\\ocean installer.exe", ignore);
  EXPECT_TRUE(fakes.files.exists(startup + name));  // another spelling is another name
  removeStartupShortcut(fakes.files, fakes.system, path, ignore);
  EXPECT_FALSE(fakes.files.exists(startup + name));
  EXPECT_TRUE(fakes.files.exists(startup + "other.lnk"));
  EXPECT_EQ(name.substr(name.size() - 14), "_installer.lnk");
  EXPECT_EQ(startupShortcutName(1234567890u), "1234567890_installer.lnk");
  EXPECT_EQ(startupShortcutName(0xFFFFFFFFu), "4294967295_installer.lnk");

  fakes.system.failingSpecialFolders = {7};
  removeStartupShortcut(fakes.files, fakes.system, path, ignore);  // nothing to delete, no harm
}

}  // namespace
}  // namespace saverkit
