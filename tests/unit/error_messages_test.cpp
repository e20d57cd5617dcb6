// The words of the failure dialogs, byte for byte.
#include <gtest/gtest.h>

#include "installer/error_messages.h"
#include "installer/fake/fake_platform.h"

namespace saverkit {
namespace {

const std::string kPath = "C:\\Users\\x\\AppData\\Local\\Vantrel\\ZOR1\\temp.dat";

TEST(InstallErrorText, AccessDeniedShowsThePrivilegesTextWhateverTheDetail) {
  fake::FakeTextSource texts;
  EXPECT_EQ(installErrorText(texts, 5, kPath),
            "Installation Error: " + kPath +
                "\r\n\r\nInsufficient user account privileges.\r\n\r\nThe current user account has "
                "insufficient privileges to install screen savers. Please contact your system "
                "administrator for help in performing this installation.");
  EXPECT_EQ(installErrorText(texts, 5, "5"),
            "Installation Error: 5\r\n\r\nInsufficient user account privileges.\r\n\r\nThe "
            "current user account has insufficient privileges to install screen savers. Please "
            "contact your system administrator for help in performing this installation.");
}

TEST(InstallErrorText, WorkingCopyFailureAddsTheSystemTextWhichIsEmptyForOwnCodes) {
  fake::FakeTextSource texts;
  const std::string expected =
      "Installation Error: " + kPath +
      "\r\n\r\nPlease retry installation. If this message appears again, the installation cannot "
      "be completed because your user account has limited installation privileges. To complete "
      "this installation, login with administrative privileges and rerun this installer.";
  EXPECT_EQ(installErrorText(texts, -523, kPath), expected);
}

TEST(InstallErrorText, SaverNotReplaceableLeavesTheDetailOut) {
  fake::FakeTextSource texts;
  const std::string text = installErrorText(texts, -38, "-38");
  EXPECT_EQ(text,
            "Installation Error: Screen saver cannot be replaced.\r\n\r\nPlease close the screen "
            "saver control panel and try again. If the install fails again, you may have "
            "insufficient privileges to install screen savers. Please contact your system "
            "administrator for assistance.");
  EXPECT_EQ(text.find("-38"), std::string::npos);
}

TEST(InstallErrorText, AnyOtherCodeShowsTheDetailTwiceAndNeverTheCode) {
  fake::FakeTextSource texts;
  for (const Status code : {-31, -7, -13, -531, 32, 2, 0}) {
    SCOPED_TRACE(code);
    EXPECT_EQ(installErrorText(texts, code, "C:\\a b\\c.dll"),
              "Installation Error: C:\\a b\\c.dll\r\n\r\nProblem with file C:\\a b\\c.dll. ");
  }
  EXPECT_EQ(installErrorText(texts, -531, ""), "Installation Error: \r\n\r\nProblem with file . ");
}

TEST(InstallErrorText, TranslatedStringTableIsUsed) {
  fake::FakeTextSource texts;
  texts.translations[TextId::kInstallationErrorPrefix] = "Installationsfehler: ";
  EXPECT_EQ(installErrorText(texts, -16, "x"), "Installationsfehler: x\r\n\r\nProblem with file x. ");
}

TEST(StartupFailureMessage, ByCode) {
  fake::FakeTextSource texts;
  EXPECT_FALSE(startupFailureMessage(texts, -454));
  EXPECT_FALSE(startupFailureMessage(texts, 0));

  const auto noPlayer = startupFailureMessage(texts, -402);
  ASSERT_TRUE(noPlayer);
  EXPECT_EQ(noPlayer->kind, DialogKind::kInformation);
  EXPECT_EQ(noPlayer->text,
            "This screen saver requires the latest Adobe Flash Player for Internet "
            "Explorer.\r\n\r\nPlease download the free player from "
            "https://get.adobe.com/flashplayer/ and retry this installation.");

  const auto nt = startupFailureMessage(texts, -455);
  ASSERT_TRUE(nt);
  EXPECT_EQ(nt->kind, DialogKind::kError);
  EXPECT_EQ(nt->text, "This screen saver is not compatible with Windows NT.");

  const std::pair<Status, const char*> others[] = {
      {-31, "Installer file is corrupted. Vantrel Error: -31. "},
      {32, "Installer file is corrupted. Vantrel Error: 32. "},
      {-2147483647 - 1, "Installer file is corrupted. Vantrel Error: -2147483648. "},
  };
  for (const auto& [code, text] : others) {
    SCOPED_TRACE(code);
    const auto message = startupFailureMessage(texts, code);
    ASSERT_TRUE(message);
    EXPECT_EQ(message->kind, DialogKind::kError);
    EXPECT_EQ(message->text, text);
  }
}

TEST(ErrorReportText, FullStopRule) {
  const std::pair<const char*, const char*> cases[] = {
      {"'12x' is not a valid integer value", "'12x' is not a valid integer value."},
      {"Bad process handle", "Bad process handle."},
      {"Already done.", "Already done."},
      {"ends in a dash -", "ends in a dash -"},
      {"ends in a slash /", "ends in a slash /."},
      {"ends in a digit 7", "ends in a digit 7."},
      {"", ""},
  };
  for (const auto& [in, out] : cases) {
    SCOPED_TRACE(in);
    EXPECT_EQ(errorReportText(in), out);
  }
}

}  // namespace
}  // namespace saverkit
