// Signing and verifying through osslsigncode, with certificates openssl makes on the spot: the
// verdicts must be the ones osslsigncode reached, never text that a certificate can carry, and
// signing must write nothing under a name someone else could have prepared. Skipped where
// either program is missing.
#include <cstdlib>
#include <fstream>

#include "package/package_binding.h"
#include "package/package_format.h"
#include "saverpack_fixture.h"

namespace saverpack::test {
namespace {

namespace fs = std::filesystem;

bool programAvailable(const std::string& program) {
  return std::system(("command -v " + program + " >/dev/null 2>&1").c_str()) == 0;
}

// The smallest stub osslsigncode accepts: DOS and PE headers with sixteen empty data directories.
Bytes signableStub() {
  Bytes stub = programWithTable(0, 0, static_cast<std::size_t>(saverkit::kInstallerSizeInBytes));
  addBindingPlace(stub);
  return stub;
}

std::string textOf(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class SigningTest : public SaverpackTest {
 protected:
  void SetUp() override {
    SaverpackTest::SetUp();
    if (!programAvailable("osslsigncode") || !programAvailable("openssl")) {
      GTEST_SKIP() << "osslsigncode or openssl is not installed";
    }
    writeFixtureFiles();
    write("saverstub.exe", signableStub());
    ASSERT_FALSE(build(standardManifest(false)).empty());
  }

  // A self-signed certificate "<name>.pem" with its key "<name>-key.pem".
  void makeCertificate(const std::string& name, const std::string& subject) {
    const std::string command = "openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj '" + subject + "' -keyout '" +
                                file(name + "-key.pem") + "' -out '" + file(name + ".pem") + "' >/dev/null 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
  }
  CliResult sign(const std::string& name, const std::string& output) {
    return run({"sign", file("Installer.exe"), "--cert", file(name + ".pem"), "--key", file(name + "-key.pem"), "-o",
                file(output)});
  }
  std::string file(const std::string& relative) const { return path(relative).u8string(); }
  // What signing left in the folder besides the files it was given and asked for.
  std::vector<std::string> leftovers() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir_)) {
      const std::string name = entry.path().filename().u8string();
      if (name.find("saverpack") != std::string::npos) names.push_back(name);
    }
    return names;
  }
};

TEST_F(SigningTest, ASubjectThatReadsLikeTheVerdictIsNotTrusted) {
  makeCertificate("forger", "/CN=Signature verification: ok");
  makeCertificate("authority", "/CN=Unrelated Authority");
  ASSERT_EQ(sign("forger", "Signed.exe").code, 0);

  const CliResult unrelated = run({"verify", file("Signed.exe"), "--require-signature", "--ca", file("authority.pem")});
  EXPECT_EQ(unrelated.code, 1) << unrelated.out;
  EXPECT_NE(unrelated.out.find("signed by /CN=Signature verification: ok; the file matches its signature; the "
                               "certificate chain is not trusted by the given CA file"),
            std::string::npos)
      << unrelated.out;

  const CliResult own = run({"verify", file("Signed.exe"), "--require-signature", "--ca", file("forger.pem")});
  EXPECT_EQ(own.code, 0) << own.out << own.err;
  EXPECT_NE(own.out.find("the certificate chain is trusted by the given CA file"), std::string::npos) << own.out;
}

TEST_F(SigningTest, TheSignersNameIsShownAsWritten) {
  const std::string name = "/CN=Cl\xC3\xA9mence D\xC3\xBCrr/O=Atelier \xC3\x89t\xC3\xA9";
  const std::string command = "openssl req -x509 -newkey rsa:2048 -nodes -days 2 -utf8 -subj '" + name + "' -keyout '" +
                              file("utf8-key.pem") + "' -out '" + file("utf8.pem") + "' >/dev/null 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
  ASSERT_EQ(sign("utf8", "Signed.exe").code, 0);
  const CliResult verified = run({"verify", file("Signed.exe")});
  EXPECT_NE(verified.out.find("signed by " + name + "; the file matches its signature"), std::string::npos)
      << verified.out;
  EXPECT_EQ(verified.out.find("\\x"), std::string::npos) << verified.out;
}

TEST_F(SigningTest, AChangedByteBreaksTheSignatureWhateverTheCertificateSays) {
  makeCertificate("author", "/CN=Current message digest : 00");
  ASSERT_EQ(sign("author", "Signed.exe").code, 0);
  EXPECT_EQ(run({"verify", file("Signed.exe"), "--require-signature"}).code, 0);

  Bytes changed = readWholeFile(path("Signed.exe"));
  changed[saverkit::kInstallerSizeInBytes + 3152 + 10] ^= 0x5A;  // inside the first slot
  write("Changed.exe", changed);
  const CliResult result = run({"verify", file("Changed.exe")});
  EXPECT_EQ(result.code, 1);
  EXPECT_NE(result.out.find("DOES NOT VERIFY: the file was changed after it was signed"), std::string::npos)
      << result.out;
  EXPECT_NE(result.out.find("package digest: present, and the package DIFFERS"), std::string::npos) << result.out;
}

TEST_F(SigningTest, TheDigestOfTheBuiltPackageStillMatchesAfterSigning) {
  makeCertificate("author", "/CN=Author");
  const Bytes unsignedFile = readWholeFile(path("Installer.exe"));
  ASSERT_EQ(sign("author", "Signed.exe").code, 0);
  const Bytes signedFile = readWholeFile(path("Signed.exe"));
  ASSERT_GT(signedFile.size(), unsignedFile.size());  // the certificate table follows the package
  const saverkit::BindingCheck check = saverkit::checkBinding(signedFile.data(), signedFile.size());
  ASSERT_TRUE(check.recorded);
  EXPECT_EQ(check.recorded->packageLength, unsignedFile.size() - std::size_t(saverkit::kInstallerSizeInBytes));
  EXPECT_TRUE(check.matches);
  const CliResult verified = run({"verify", file("Signed.exe"), "--require-signature"});
  EXPECT_EQ(verified.code, 0) << verified.err;
  EXPECT_NE(verified.out.find("package digest: present, and the package matches it (SHA-256 "), std::string::npos)
      << verified.out;
}

TEST_F(SigningTest, NothingIsWrittenUnderANameKnownBeforehand) {
  makeCertificate("author", "/CN=Signing Author");
  // What an earlier version wrote to, prepared by someone else: it is neither used nor removed.
  write("Signed.exe.saverpack-partial", std::string("prepared by someone else"));
  ASSERT_EQ(sign("author", "Signed.exe").code, 0);
  EXPECT_EQ(textOf(path("Signed.exe.saverpack-partial")), "prepared by someone else");
  EXPECT_EQ(run({"verify", file("Signed.exe"), "--require-signature"}).code, 0);
  EXPECT_EQ(leftovers(), std::vector<std::string>{"Signed.exe.saverpack-partial"});

  // A failed signing (a key that is not the certificate's) leaves no output and no temporary files.
  makeCertificate("other", "/CN=Someone Else");
  const CliResult failed = run({"sign", file("Installer.exe"), "--cert", file("author.pem"), "--key",
                                file("other-key.pem"), "-o", file("Failed.exe")});
  EXPECT_EQ(failed.code, 3);
  EXPECT_FALSE(fs::exists(path("Failed.exe")));
  EXPECT_EQ(leftovers(), std::vector<std::string>{"Signed.exe.saverpack-partial"});
}

// The signing tool is started by its full path, found in PATH's absolute folders only: one in
// the current folder, which an empty or relative PATH entry (or a shell) would reach, never runs.
TEST_F(SaverpackTest, TheSigningToolComesOnlyFromAnAbsoluteFolderOfThePath) {
  writeFixtureFiles();
  write("saverstub.exe", signableStub());
  ASSERT_FALSE(build(standardManifest(false)).empty());
  const auto plant = [this](const std::string& folder) {
    const fs::path tool = write(folder + "/osslsigncode", "#!/bin/sh\necho \"$0\" >> '" + path("started").u8string() +
                                                              "'\n[ \"$1\" = --version ] && echo osslsigncode 9 && exit 0\n"
                                                              "echo refused by the stand-in; exit 1\n");
    fs::permissions(tool, fs::perms::owner_all);
  };
  plant("here");
  plant("tools");
  const std::string path = std::getenv("PATH") ? std::getenv("PATH") : "";
  const fs::path folder = fs::current_path();
  fs::current_path(this->path("here"));
  const auto sign = [this] {
    return run({"sign", this->path("Installer.exe").u8string(), "--cert", this->path("c.pem").u8string(), "--key",
                this->path("k.pem").u8string(), "-o", this->path("Signed.exe").u8string()});
  };
  ::setenv("PATH", ":.:here", 1);
  const CliResult unseen = sign();
  ::setenv("PATH", (".:" + this->path("tools").u8string()).c_str(), 1);
  const CliResult found = sign();
  ::setenv("PATH", path.c_str(), 1);
  fs::current_path(folder);
  EXPECT_EQ(unseen.code, 3);
  EXPECT_NE(unseen.err.find("osslsigncode is not installed"), std::string::npos) << unseen.err;
  EXPECT_EQ(found.code, 3);
  EXPECT_NE(found.err.find("failed: refused by the stand-in"), std::string::npos) << found.err;
  EXPECT_EQ(textOf(this->path("started")), this->path("tools/osslsigncode").u8string() + "\n" +
                                               this->path("tools/osslsigncode").u8string() + "\n");
}

}  // namespace
}  // namespace saverpack::test
