// The working copy, the header read and the paths derived from it.
#include <gtest/gtest.h>

#include "installer/package_reader.h"
#include "package_fixture.h"

namespace saverkit {
namespace {

using saverkit::testing::InstallerImage;

class PackageReaderTest : public ::testing::Test {
 protected:
  PackageReaderTest() {
    context.folders.workingFolder = "C:\\Local\\Vantrel\\ZOR1\\";
    context.folders.sharedFolder = "C:\\PD\\Vantrel\\";
    fakes.files.addFolder("C:\\Local\\Vantrel\\ZOR1");
    fakes.process.path = "C:\\Downloads\\Ocean.exe";
    setInstallerPaths(context);
  }
  void install(const std::string& bytes) { fakes.files.addFile("C:\\Downloads\\Ocean.exe", bytes); }
  // The installer with these bytes, copied into the working copy that the run then holds.
  void load(const std::string& bytes) {
    context.installerFile.reset();  // a run opens its installer once; each load is a new run
    install(bytes);
    ASSERT_EQ(copyInstallerToWorkFile(context), 0);
  }
  std::string work() const { return "C:\\Local\\Vantrel\\ZOR1\\temp.dat"; }

  fake::FakePlatform fakes;
  InstallerContext context{fakes.platform, fakes.view};
  InstallerImage image;
};

TEST_F(PackageReaderTest, WorkingCopyReplacesAnOldOne) {
  install("new installer");
  fakes.files.addFile(work(), "left over", /*readOnly=*/true);
  EXPECT_EQ(context.workCopyPath, work());
  EXPECT_EQ(copyInstallerToWorkFile(context), 0);
  EXPECT_EQ(fakes.files.contents(work()), "new installer");
  EXPECT_TRUE(fakes.view.dialogs.empty());
}

TEST_F(PackageReaderTest, WorkingCopyFailuresShowMinus523ButReturnTheRealCode) {
  install("x");
  fakes.files.addFile(work(), "busy");
  fakes.files.busyFiles[work()] = fake::FakeFileSystem::kForever;
  EXPECT_EQ(copyInstallerToWorkFile(context), -32);
  EXPECT_EQ(fakes.files.deleteAttempts(work()), 200);  // 100 attempts of two tries
  ASSERT_EQ(fakes.view.dialogs.size(), 1u);
  EXPECT_EQ(fakes.view.dialogs[0].text,
            "Installation Error: " + work() +
                "\r\n\r\nPlease retry installation. If this message appears again, the installation "
                "cannot be completed because your user account has limited installation privileges."
                " To complete this installation, login with administrative privileges and rerun "
                "this installer.");
  fakes.files.busyFiles.clear();
  fakes.files.writeLimits[work()] = 0;
  EXPECT_EQ(copyInstallerToWorkFile(context), 112);
  EXPECT_FALSE(context.package);
}

TEST_F(PackageReaderTest, HeaderReadExtractsTheLibraryAtOnce) {
  image.header.saverName = "Deep Blue";
  install(image.bytes());
  ASSERT_EQ(copyInstallerToWorkFile(context), 0);
  EXPECT_EQ(readPackageHeader(context), 0);
  EXPECT_EQ(context.header.saverName, "Deep Blue");
  EXPECT_EQ(fakes.files.contents("C:\\Local\\Vantrel\\ZOR1\\impborl.dll"), "MZ-library");
  EXPECT_FALSE(fakes.files.exists("C:\\Local\\Vantrel\\ZOR1\\impborl.dat"));
}

TEST_F(PackageReaderTest, ShortHeadersGiveMinus31WithTheWorkingCopyNamedTwice) {
  const std::string full = image.bytes();
  for (const std::size_t size : {std::size_t{0}, std::size_t{690176}, std::size_t{690176 + 3151}}) {
    SCOPED_TRACE(size);
    fakes.view.dialogs.clear();
    load(full.substr(0, size));
    EXPECT_EQ(readPackageHeader(context), -31);
    ASSERT_EQ(fakes.view.dialogs.size(), 1u);
    EXPECT_EQ(fakes.view.dialogs[0].text,
              "Installation Error: " + work() + "\r\n\r\nProblem with file " + work() + ". ");
  }
}

TEST_F(PackageReaderTest, AnyFullHeaderReadsThenSlotOneDecides) {
  load(std::string(690176 + 3152, '\0'));
  EXPECT_EQ(readPackageHeader(context), -531);  // slot 1 is empty: the box names the slot
  ASSERT_EQ(fakes.view.dialogs.size(), 1u);
  EXPECT_EQ(fakes.view.dialogs[0].text, "Installation Error: package slot 1\r\n\r\nProblem with file package slot 1. ");
}

TEST_F(PackageReaderTest, OpenAndReadFailuresGiveTheSystemCode) {
  EXPECT_EQ(copyInstallerToWorkFile(context), 2);  // no installer file to copy
  install(image.bytes());
  context.installerFile.reset();
  fakes.files.readErrors["C:\\Downloads\\Ocean.exe"] = 23;
  EXPECT_EQ(copyInstallerToWorkFile(context), 23);
  EXPECT_EQ(fakes.view.dialogs.size(), 2u);
  EXPECT_EQ(readPackageHeader(context), -523);  // nothing to read without a working copy
}

// One package session: the installer is read once, and the working copy is never reopened by
// its path; nobody else can write or delete it while the run holds it.
TEST_F(PackageReaderTest, TheWorkingCopyIsReadThroughTheOneHandleThatMadeIt) {
  image.setSlot(4, "License.txt", 7, "terms");
  load(image.bytes());
  ASSERT_EQ(readPackageHeader(context), 0);
  ASSERT_EQ(extractLicense(context), 0);
  EXPECT_EQ(fakes.files.readOpens("C:\\Downloads\\Ocean.exe"), 1);
  EXPECT_EQ(fakes.files.readOpens(work()), 0);
  EXPECT_TRUE(fakes.files.isHeld(work()));
  EXPECT_FALSE(fakes.files.deleteFile(work()));
  Status error = 0;
  EXPECT_FALSE(fakes.files.createFile(work(), error));
  // The implode library is held too, from its writing on.
  EXPECT_EQ(fakes.files.readOpens("C:\\Local\\Vantrel\\ZOR1\\impborl.dll"), 1);
  EXPECT_FALSE(fakes.files.deleteFile("C:\\Local\\Vantrel\\ZOR1\\impborl.dll"));
  context.heldLibrary.reset();
  context.package.reset();
  EXPECT_TRUE(fakes.files.deleteFile(work()));
}

TEST_F(PackageReaderTest, ProductPathsFromTheHeader) {
  image.header.saverName = std::string(64, 'S');
  image.header.entries[8].name = "saver.dat";
  const std::string bytes = image.bytes();
  context.header = *decodePackageHeader(reinterpret_cast<const std::uint8_t*>(bytes.data()) + 690176, 3152);
  EXPECT_EQ(setProductPaths(context), 0);
  EXPECT_EQ(context.saverName, std::string(64, 'S'));
  EXPECT_EQ(context.productFolder, "C:\\PD\\Vantrel\\" + std::string(64, 'S') + "\\");
  EXPECT_EQ(context.dataFilePath, "C:\\Local\\Vantrel\\ZOR1\\saver.dat");

  context.header.saverName = "..";
  EXPECT_EQ(setProductPaths(context), -600);
  EXPECT_EQ(context.productFolder, "");
}

TEST_F(PackageReaderTest, EmptyLicenceOrReadMeSlotIsMinus531Unshown) {
  load(image.bytes());
  ASSERT_EQ(readPackageHeader(context), 0);
  EXPECT_EQ(extractLicense(context), -531);
  EXPECT_EQ(extractReadMe(context), -531);
  EXPECT_TRUE(fakes.view.dialogs.empty());
}

TEST_F(PackageReaderTest, LicenceAndReadMeLandInTheWorkingFolder) {
  image.setSlot(4, "License.txt", 7, "terms");
  image.setSlot(5, "Read Me.rtf", 7, "{\\rtf1 read me}");
  load(image.bytes());
  ASSERT_EQ(readPackageHeader(context), 0);
  EXPECT_EQ(extractLicense(context), 0);
  EXPECT_EQ(extractReadMe(context), 0);
  EXPECT_EQ(fakes.files.contents("C:\\Local\\Vantrel\\ZOR1\\License.txt"), "terms");
  EXPECT_EQ(fakes.files.contents("C:\\Local\\Vantrel\\ZOR1\\Read Me.rtf"), "{\\rtf1 read me}");
}

}  // namespace
}  // namespace saverkit
