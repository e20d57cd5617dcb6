// A damaged or hostile installer run over a working install: whatever the fault, the machine
// stays exactly as it was, and the install ends with the status the fault has always had.
#include <gtest/gtest.h>

#include "installer/package_check.h"
#include "installer_world.h"

namespace saverkit {
namespace {

using namespace saverkit::testing;

// Every file and folder with its contents, and every registry key with its values.
struct Machine {
  std::vector<std::pair<std::string, std::optional<std::string>>> files;
  std::map<RegistryRoot, std::map<std::string, fake::FakeRegistry::Values>> registry;
  bool operator==(const Machine& other) const { return files == other.files && registry == other.registry; }
};

Machine snapshot(InstallerWorld& world) {
  Machine machine;
  for (const std::string& path : world.fakes.files.pathsUnder()) {
    machine.files.emplace_back(path, world.fakes.files.contents(path));
  }
  machine.registry = world.fakes.registry.keys;
  return machine;
}

// A header rewritten in place, the way a damaged or hand-made package carries it.
void rewriteHeader(std::string& bytes, const PackageHeader& header) {
  const auto encoded = encodePackageHeader(header);
  bytes.replace(690176, encoded.size(), reinterpret_cast<const char*>(encoded.data()), encoded.size());
}

// Installs the world's package quietly, then runs `damaged` (the same installer, changed) over
// it, quietly too; the exit code of the second run.
int runOverInstall(InstallerWorld& world, const std::function<void(std::string&)>& damage,
                   Machine& before) {
  EXPECT_EQ(world.run({"/q"}), 0);
  std::string bytes = world.fakes.files.contents(kInstaller).value();
  damage(bytes);
  world.fakes.files.addFile(kInstaller, bytes);
  before = snapshot(world);
  InstallerContext second(world.fakes.platform, world.fakes.view);
  InstallerForm form(second);
  world.fakes.view.dialogs.clear();
  return runProgram(second, form);
}

TEST(PackageCheck, ABrokenDownloadLeavesTheWorkingInstallAlone) {
  struct Case {
    const char* label;
    std::function<void(InstallerImage&, std::string&)> damage;
    int exitCode;
  };
  const Case cases[] = {
      {"cut inside the data file", [](InstallerImage&, std::string& b) { b.resize(b.size() - 10); }, -30},
      {"cut inside the engine",
       [](InstallerImage& image, std::string& b) { b.resize(static_cast<std::size_t>(image.header.entries[6].startOffset) + 3); },
       -30},
      {"a slot of length zero",
       [](InstallerImage& image, std::string& b) {
         PackageHeader header = image.header;
         header.entries[7].endOffset = header.entries[7].startOffset - 1;
         rewriteHeader(b, header);
       },
       -7},
      // The extraction would refuse it too, but only after the old saver was removed.
      {"the engine's slot empty",
       [](InstallerImage& image, std::string& b) {
         PackageHeader header = image.header;
         header.entries[6] = PackageEntry{};
         rewriteHeader(b, header);
       },
       -531},
      {"an item path leaving the product folder",
       [](InstallerImage& image, std::string& b) {
         const std::size_t record = static_cast<std::size_t>(image.header.entries[8].startOffset) + 1240 + 264;
         b.replace(record + 1, 12, "..\\..\\evil.x");
       },
       -604},
      {"an item's data beyond the end of the data file",
       [](InstallerImage& image, std::string& b) {
         const std::size_t header = static_cast<std::size_t>(image.header.entries[8].startOffset) + 1240 + 2 * 264;
         b[header + 12 + 2] = 0x10;  // the stored size of the imploded item 1 grows by 1 MiB
       },
       38},
      {"an item count beyond its directory",
       [](InstallerImage& image, std::string& b) {
         b[static_cast<std::size_t>(image.header.entries[8].startOffset) + 212] = 100;
       },
       -605},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    InstallerWorld world;
    Machine before;
    const int exitCode = runOverInstall(world, [&](std::string& b) { c.damage(world.image, b); }, before);
    EXPECT_EQ(exitCode, c.exitCode);
    EXPECT_TRUE(snapshot(world) == before);
    // Not a ".dll" slot: extraction's own faults of this kind are not shown, so nothing is. A
    // damaged directory has its one box, and no second; so has an empty slot.
    if (c.exitCode == 38) {
      EXPECT_EQ(world.dialogTexts(), std::vector<std::string>{"Vantrel Error: Problem reading screen saver data file. "});
    } else if (c.exitCode == -531) {
      EXPECT_EQ(world.dialogTexts(), std::vector<std::string>{"Installation Error: package slot 6\r\n\r\nProblem with file package slot 6. "});
    } else if (c.exitCode != -605) {
      EXPECT_TRUE(world.fakes.view.dialogs.empty());
    } else {
      ASSERT_EQ(world.fakes.view.dialogs.size(), 1u);
      EXPECT_EQ(world.fakes.view.dialogs[0].text.rfind("Problem opening screen saver data file.", 0), 0u);
    }
  }
}

TEST(PackageCheck, TheDataFilesWorkingPathMustStayInTheWorkingFolder) {
  InstallerWorld world;
  const std::string victim = kLocalData + "Vantrel\\victim.dat";
  world.fakes.files.addFile(victim, "precious");
  world.image.setSlot(8, "..\\victim.dat", 7, "");
  EXPECT_EQ(world.run({"/q"}), -601);
  EXPECT_EQ(world.fakes.files.contents(victim), "precious");
  EXPECT_EQ(world.dialogTexts().back(), "Installer file is corrupted. Vantrel Error: -601. ");
}

// Names that Windows accepts install, under the names Windows gives them.
TEST(PackageCheck, NamesEndingInAFullStopOrASpaceInstall) {
  InstallerWorld world;
  world.image.header.saverName = "Aquarium Inc.";
  world.image.setSlot(7, "Aquarium.swf ", 1, "movie");
  EXPECT_EQ(world.run({"/q"}), 0);
  EXPECT_TRUE(world.fakes.files.exists(kShared + "Aquarium Inc\\saver.dat"));
  EXPECT_EQ(world.fakes.files.contents(kShared + "Aquarium Inc\\Aquarium.swf"), "movie");
}

// The steps in their order, from the record the fakes keep: the licence is set up before the
// presentation is taken out, the data file is expanded before "saver.dat" is written, and the
// uninstall entry comes last; the licence shown at the start is copied into the product folder
// after "saver.dat".
TEST(PackageCheck, InstallStepsRunInTheirOrder) {
  InstallerWorld world;
  world.image.header.hasLicense = true;
  world.image.setSlot(4, "License.txt", 7, "terms");
  world.fakes.view.userActions.push_back([&world] { world.form.onInstallClick(); });
  EXPECT_EQ(world.run(), 0);
  std::vector<std::string> steps;
  for (const std::string& entry : world.fakes.files.log) {
    for (const char* mark : {"License.txt", "intro.BMP", "Ocean.scr", "Ocean.swf", "reef.swf", "saver.dat"}) {
      if (entry.rfind("create file", 0) == 0 && entry.find(mark) != std::string::npos &&
          (steps.empty() || steps.back() != mark)) {
        steps.push_back(mark);
      }
    }
  }
  EXPECT_EQ(steps, (std::vector<std::string>{"License.txt", "intro.BMP", "Ocean.scr", "Ocean.swf", "reef.swf", "saver.dat",
                                             "License.txt"}));
}

// Item 1 of a movie saver is the installer's own movie, copied from slot 3: it has no item
// header in the data file, and the check must not ask for one. Any other saver's item must.
TEST(PackageCheck, AMovieSaversFirstItemNeedsNoItemHeader) {
  for (const std::int32_t kind : {kSaverKindInstallerMovie, 0}) {
    SCOPED_TRACE(kind);
    fake::FakePlatform fakes;
    InstallerContext context{fakes.platform, fakes.view};
    context.folders.workingFolder = kWorking;
    context.folders.systemFolder = kSystem32;
    fakes.files.addFolder(kWorking);
    context.productFolder = kShared + "Ocean\\";
    DataFileImage data;
    data.record.setSaverKind(kind);
    data.add("saver.swf", "");
    data.add("other.bin", "o");
    std::string bytes = data.bytes();
    DirectoryRecord first = *decodeDirectoryRecord(reinterpret_cast<const std::uint8_t*>(bytes.data()) + 1240, 264);
    first.itemOffset = 0x7FFFFF00;  // where no item header could be
    const auto encoded = encodeDirectoryRecord(first);
    bytes.replace(1240, encoded.size(), reinterpret_cast<const char*>(encoded.data()), encoded.size());
    InstallerImage image;
    image.setSlot(6, "Ocean.scr", 2, "engine");
    image.setSlot(8, "Ocean.dat", 7, bytes);
    const std::string installer = image.bytes();
    context.header = *decodePackageHeader(reinterpret_cast<const std::uint8_t*>(installer.data()) + 690176, 3152);
    context.package = scratchWith(fakes.files, kWorking + "temp.dat", installer);
    EXPECT_EQ(checkPackageBeforeInstall(context), kind == kSaverKindInstallerMovie ? 0 : 38);
  }
}

}  // namespace
}  // namespace saverkit
