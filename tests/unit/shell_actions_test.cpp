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

class StartupShortcutSafety : public ::testing::Test {
 protected:
  void SetUp() override {
    fakes.files.addFile(startup + name, "lnk", true);  // read-only: it still goes
  }
  void remove() { removeStartupShortcut(fakes.files, fakes.system, installer, ignore); }
  fake::FakePlatform fakes;
  std::function<void(const std::string&)> ignore = [](const std::string&) {};
  std::string installer = "C:\\Downloads\\Ocean Installer.exe";
  std::string name = startupShortcutName(*crc32OfText(installer, ignore));
  std::string startup = "C:\\Documents and Settings\\user\\Start Menu\\Programs\\Startup\\";
};

// The user's "User Shell Folders" value names another folder: nothing is deleted there, nor in
// Windows' own Startup folder, which is not the user's Startup folder then.
TEST_F(StartupShortcutSafety, AStartupFolderTheUserMovedIsLeftAlone) {
  const std::string moved = "C:\\Documents and Settings\\user\\Elsewhere\\";
  fakes.files.addFile(moved + name, "precious", true);
  fakes.system.defaultFolders[7] = startup;
  fakes.system.specialFolders[7] = moved;
  remove();
  EXPECT_EQ(fakes.files.contents(moved + name), "precious");
  EXPECT_TRUE(fakes.files.exists(startup + name));
  // The same folder spelt with another case and a trailing backslash is the same folder.
  fakes.system.specialFolders[7] = "c:\\documents and settings\\USER\\start menu\\programs\\startup\\";
  remove();
  EXPECT_FALSE(fakes.files.exists(startup + name));
  EXPECT_EQ(fakes.files.contents(moved + name), "precious");
}

TEST_F(StartupShortcutSafety, ALinkOnTheWayIsNeverFollowed) {
  fakes.files.removeFolder("C:\\Documents and Settings\\user\\Start Menu\\Programs\\Startup");
  fakes.files.addFolderLink("C:\\Documents and Settings\\user\\Start Menu");
  fakes.files.addFile(startup + name, "seen through the link");
  remove();
  EXPECT_EQ(fakes.files.contents(startup + name), "seen through the link");
  EXPECT_EQ(fakes.files.log.back(), "hold " + startup.substr(0, startup.size() - 1));
}

// Only a plain file of exactly that name goes: a folder or a link of that name stays.
TEST_F(StartupShortcutSafety, OnlyAPlainFileOfThatNameGoes) {
  remove();
  EXPECT_FALSE(fakes.files.exists(startup + name));
  fakes.files.addFile(startup + name + "\\inside.txt", "keep");
  remove();
  EXPECT_EQ(fakes.files.contents(startup + name + "\\inside.txt"), "keep");
  ASSERT_EQ(fakes.files.removeFolderTree(startup + name), 0);
  fakes.files.addFolderLink(startup + name);
  remove();
  EXPECT_TRUE(fakes.files.isLink(startup + name));
}

}  // namespace
}  // namespace saverkit
