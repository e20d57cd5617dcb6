// The administrator's switches: boxes answered without being shown, and the UTF-8 log of every
// box, status text and outcome.
#include <gtest/gtest.h>

#include "installer/administrator_view.h"
#include "installer_world.h"

namespace saverkit {
namespace {

using namespace saverkit::testing;

// Runs the world's installer with the administrator's view in front of the fake one.
int runAsAdministrator(InstallerWorld& world, const std::vector<std::string>& parameters) {
  if (!world.image.header.entries[8].isEmpty()) {
    world.image.setSlot(8, world.image.header.entries[8].name, 7, world.data.bytes());
  }
  world.fakes.files.addFile(kInstaller, world.image.bytes());
  world.fakes.process.parameters = parameters;
  AdministratorView view(world.fakes.view, world.fakes.files, world.fakes.texts,
                         readAdministratorSwitches(parameters));
  InstallerContext context(world.fakes.platform, view);
  InstallerForm form(context);
  return runProgram(context, form);
}

TEST(AdministratorSwitches, ReadInAnyCaseAndUnknownOnesIgnored) {
  const AdministratorSwitches switches =
      readAdministratorSwitches({"/q", "/SuppressMsgBoxes", "/LOG=C:\\Logs\\Setup Log.txt", "/x"});
  EXPECT_TRUE(switches.suppressBoxes);
  EXPECT_EQ(switches.logPath, "C:\\Logs\\Setup Log.txt");
  EXPECT_FALSE(readAdministratorSwitches({"/suppressmsgbox", "/log=", "-log=x"}).any());
}

TEST(AdministratorSwitches, AFailingQuietInstallShowsNothingAndLogsEverything) {
  InstallerWorld world;
  world.fakes.files.addFolder("C:\\Logs");
  world.fakes.files.writeLimits[world.product() + "Ocean.swf"] = 1;
  world.fakes.texts.translations[TextId::kProblemWithFile] = "Probl\xE8me avec le fichier ";
  EXPECT_EQ(runAsAdministrator(world, {"/q", "/suppressmsgboxes", "/log=C:\\Logs\\setup.log"}), 112);
  EXPECT_TRUE(world.fakes.view.dialogs.empty());
  const std::string log = world.fakes.files.contents("C:\\Logs\\setup.log").value_or("");
  EXPECT_EQ(log.substr(0, 3), "\xEF\xBB\xBF");
  EXPECT_NE(log.find("error box (not shown): Installation Error: "), std::string::npos) << log;
  EXPECT_NE(log.find("Probl\xC3\xA8me avec le fichier "), std::string::npos) << log;  // in UTF-8
  EXPECT_NE(log.find("install status: 112\r\nexit code: 112\r\n"), std::string::npos) << log;
  EXPECT_FALSE(world.fakes.files.exists(world.product()));  // rolled back as ever
}

TEST(AdministratorSwitches, QuestionsTakeTheirDefaultAnswerAndTheLogKeepsTheOrder) {
  InstallerWorld world;
  world.fakes.files.addFolder("C:\\Logs");
  world.image.header.askOpenControlPanel = true;
  world.image.header.presentationMode = 2;  // a movie that cannot play: the install runs at once
  world.image.setSlot(3, "intro.swf", 7, "not a movie");
  EXPECT_EQ(runAsAdministrator(world, {"/suppressmsgboxes", "/log=C:\\Logs\\setup.log", "/l=4242"}), 0);
  EXPECT_TRUE(world.fakes.view.dialogs.empty());
  EXPECT_EQ(world.launcherTexts().back(), std::string("openScreenSaverControlPanel\0", 28));
  const std::string log = world.fakes.files.contents("C:\\Logs\\setup.log").value_or("");
  const std::size_t installing = log.find("status: Installing Screen Saver...");
  const std::size_t question = log.find("Yes/No question (not shown): The installation of the screen saver was successful.");
  const std::size_t done = log.find("exit code: 0");
  EXPECT_LT(installing, question) << log;
  EXPECT_LT(question, done) << log;
  EXPECT_NE(done, std::string::npos) << log;
}

TEST(AdministratorSwitches, ALogThroughALinkIsRefusedAndTheInstallRunsWithoutIt) {
  struct Row {
    const char* what;
    const char* link;  // made a link (a junction) before the run
    const char* log;
  };
  for (const Row& row : {Row{"the log's own name", "C:\\Logs\\setup.log", "C:\\Logs\\setup.log"},
                         Row{"its folder", "C:\\Logs\\to-system", "C:\\Logs\\to-system\\setup.log"},
                         Row{"a folder above", "C:\\Logs", "C:\\Logs\\deep\\setup.log"},
                         Row{"on a share", "\\\\server\\share\\logs", "\\\\server\\share\\logs\\setup.log"}}) {
    SCOPED_TRACE(row.what);
    InstallerWorld world;
    world.fakes.files.addFolderLink(row.link);
    world.fakes.files.addFolder(std::string(row.log).substr(0, std::string(row.log).rfind('\\')));
    EXPECT_EQ(runAsAdministrator(world, {"/q", std::string("/log=") + row.log}), 0);
    EXPECT_EQ(world.fakes.files.contents(row.log), std::nullopt);
    EXPECT_TRUE(world.fakes.files.isLink(row.link));
  }
  // Beside a link, not through it: written.
  InstallerWorld world;
  world.fakes.files.addFolderLink("C:\\Logs\\setup.log.old");
  world.fakes.files.addFolderLink("C:\\Log");
  EXPECT_EQ(runAsAdministrator(world, {"/q", "/log=C:\\Logs\\setup.log"}), 0);
  EXPECT_NE(world.fakes.files.contents("C:\\Logs\\setup.log").value_or("").find("exit code: 0"), std::string::npos);
}

}  // namespace
}  // namespace saverkit
