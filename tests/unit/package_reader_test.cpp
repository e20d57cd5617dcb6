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

// The binding the stub's image records for `package` (an installer's bytes after the stub).
PackageBinding bindingOf(const std::string& installer) {
  const std::string package = installer.substr(static_cast<std::size_t>(kInstallerSizeInBytes));
  return {package.size(), sha256Of(package.data(), package.size())};
}

TEST_F(PackageReaderTest, ABoundPackageIsCopiedUpToItsEndAndReadAsUsual) {
  const std::string installer = image.bytes();
  context.consentedBinding = bindingOf(installer);
  // What signing appends after the package is left out of the working copy.
  load(installer + std::string(700, 'C'));
  EXPECT_EQ(fakes.files.contents(work()), installer);
  EXPECT_EQ(readPackageHeader(context), 0);
  EXPECT_TRUE(fakes.view.dialogs.empty());
  // An empty place (a package appended by hand) copies the whole file, as ever.
  context.consentedBinding.reset();
  load(installer + "tail");
  EXPECT_EQ(fakes.files.contents(work()), installer + "tail");
}

TEST_F(PackageReaderTest, AnotherPackageInTheInstallersPlaceIsRefusedBeforeAnyOfItIsRead) {
  const std::string consented = image.bytes();
  context.consentedBinding = bindingOf(consented);
  for (const std::size_t at : {static_cast<std::size_t>(kInstallerSizeInBytes), consented.size() - 1}) {
    SCOPED_TRACE(at);
    std::string swapped = consented;
    swapped[at] = static_cast<char>(swapped[at] ^ 0x20);
    context.installerFile.reset();
    fakes.view.dialogs.clear();
    install(swapped);
    EXPECT_EQ(copyInstallerToWorkFile(context), status::kPackageChanged);
    EXPECT_FALSE(context.package);
    EXPECT_EQ(readPackageHeader(context), status::kWorkingCopyFailed);
    EXPECT_FALSE(fakes.files.exists("C:\\Local\\Vantrel\\ZOR1\\impborl.dll"));
    ASSERT_EQ(fakes.view.dialogs.size(), 1u);
    EXPECT_EQ(fakes.view.dialogs[0].kind, DialogKind::kError);
    EXPECT_EQ(fakes.view.dialogs[0].text,
              "Installation Error: C:\\Downloads\\Ocean.exe\r\n\r\nThis installer's package is not the one it was "
              "built with: the installer file was changed or replaced after it was started. Nothing was changed. "
              "Download the installer again and run it from a folder that only you can write to.");
  }
}

TEST_F(PackageReaderTest, APackageOfManyChunksIsHashedInTheBackgroundChunkByChunk) {
  // The fake runs each hashing as late as it may, so a chunk read into too early shows.
  std::string movie(3 * (1 << 20) + 12345, '\0');
  std::uint32_t state = 2026;
  for (char& byte : movie) byte = static_cast<char>((state = state * 1103515245u + 12345u) >> 24);
  image.setSlot(7, "Ocean.swf", 1, movie);
  const std::string installer = image.bytes();
  context.consentedBinding = bindingOf(installer);
  load(installer);
  EXPECT_EQ(fakes.background.posted, 4);
  std::string changed = installer;
  changed[changed.size() - 5000] ^= 1;
  context.installerFile.reset();
  install(changed);
  EXPECT_EQ(copyInstallerToWorkFile(context), status::kPackageChanged);
}

TEST_F(PackageReaderTest, ABoundInstallerCutShortIsMinus30WithoutTheWorkingCopyBox) {
  const std::string installer = image.bytes();
  context.consentedBinding = bindingOf(installer);
  for (const std::size_t length : {installer.size() - 1, static_cast<std::size_t>(kInstallerSizeInBytes) - 1}) {
    context.installerFile.reset();
    install(installer.substr(0, length));
    EXPECT_EQ(copyInstallerToWorkFile(context), status::kShortCopy) << length;
    EXPECT_FALSE(context.package);
  }
  EXPECT_TRUE(fakes.view.dialogs.empty());
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
