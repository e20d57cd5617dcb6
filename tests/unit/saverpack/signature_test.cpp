// Finding an installer's certificate table, and refusing one that does not lie after the
// package (a signature never covers part of the package it follows).
#include <gtest/gtest.h>

#include "saverpack_fixture.h"
#include "signature.h"

namespace saverpack {
namespace {

using test::programWithTable;

TEST(Signature, TheTableComesFromTheProgramHeader) {
  const auto table = findCertificateTable(programWithTable(4000, 96, 4096));
  ASSERT_TRUE(table);
  EXPECT_EQ(table->offset, 4000u);
  EXPECT_EQ(table->size, 96u);
  EXPECT_FALSE(findCertificateTable(programWithTable(0, 0, 4096)));  // unsigned
  Bytes notAProgram = programWithTable(4000, 96, 4096);
  notAProgram[0x40] = 'X';
  EXPECT_FALSE(findCertificateTable(notAProgram));
  EXPECT_FALSE(findCertificateTable(Bytes(100, 0)));
  Bytes farHeader = programWithTable(4000, 96, 4096);
  for (int i = 0; i < 4; ++i) farHeader[0x3C + i] = 0xFF;  // past the end, wherever size_t wraps
  farHeader[0x3C] = 0xF0;
  EXPECT_FALSE(findCertificateTable(farHeader));
}

TEST(Signature, TheTableNeedsItsDataDirectory) {
  // The certificate table is the fifth data directory: a header that lists only four has none,
  // whatever bytes follow them.
  EXPECT_FALSE(findCertificateTable(programWithTable(4000, 96, 4096, 4)));
  const auto fifth = findCertificateTable(programWithTable(4000, 96, 4096, 5));
  ASSERT_TRUE(fifth);
  EXPECT_EQ(fifth->offset, 4000u);
}

TEST(Signature, ATableThatIsNotAfterThePackageIsBroken) {
  // The package ends at 4000: a table from 3000 on would overlap it, one short of the end
  // would leave bytes nobody signed.
  for (const auto& [offset, size] : {std::pair<std::uint32_t, std::uint32_t>{3000, 1096}, {4000, 90}}) {
    SCOPED_TRACE(offset);
    const SignatureReport report = inspectSignature("x.exe", programWithTable(offset, size, 4096), 4000, "");
    EXPECT_EQ(report.state, SignatureReport::State::kBroken);
    EXPECT_NE(describe(report).find("does not lie after the package"), std::string::npos);
  }
  EXPECT_EQ(inspectSignature("x.exe", programWithTable(0, 0, 4096), 4000, "").state,
            SignatureReport::State::kUnsigned);
}

TEST(Signature, ATableRightAtThePackagesEndIsInPlace) {
  // Starting at the package's last byte overlaps it; starting just after it is where signing puts
  // the table. What osslsigncode then says of this made-up file does not matter here.
  const Bytes file = programWithTable(4000, 96, 4096);
  EXPECT_NE(describe(inspectSignature("x.exe", file, 4001, "")).find("does not lie after the package"),
            std::string::npos);
  EXPECT_EQ(describe(inspectSignature("x.exe", file, 4000, "")).find("does not lie after the package"),
            std::string::npos);
}

TEST(Signature, TheSignersNameReadsAsUtf8AndHidesNothing) {
  const struct {
    const char* printed;
    const char* shown;
  } kCases[] = {
      {"/CN=Cl\\xC3\\xA9mence D\\xC3\\xBCrr/O=Atelier", "/CN=Cl\xC3\xA9mence D\xC3\xBCrr/O=Atelier"},
      {"/CN=\\xE2\\x82\\xAC \\xF0\\x9F\\x93\\xB7", "/CN=\xE2\x82\xAC \xF0\x9F\x93\xB7"},  // three and four bytes
      {"/CN=a\\b\\x41", "/CN=a\\b\\x41"},            // ASCII is never escaped: text that looks so stays
      {"/CN=x\\x0Ay", "/CN=x\\x0Ay"},                 // a line break stays escaped
      {"/CN=\\xE2\\x80\\xAEexe.txt", "/CN=\\xE2\\x80\\xAEexe.txt"},  // a right-to-left override too
      {"/CN=\\xC2\\x85", "/CN=\\xC2\\x85"},            // a C1 control
      {"/CN=\\xC3", "/CN=\\xC3"},                     // cut short
      {"/CN=\\xC3\\x41", "/CN=\\xC3\\x41"},            // no continuation byte
      {"/CN=\\xC0\\xAF", "/CN=\\xC0\\xAF"},            // an overlong "/"
      {"/CN=\\xED\\xA0\\x80", "/CN=\\xED\\xA0\\x80"},    // a surrogate
      {"/CN=\\xF4\\x90\\x80\\x80", "/CN=\\xF4\\x90\\x80\\x80"},  // beyond U+10FFFF
      {"/CN=\\xZZ\\x", "/CN=\\xZZ\\x"},
  };
  for (const auto& example : kCases) {
    SCOPED_TRACE(example.printed);
    EXPECT_EQ(readableSubject(example.printed), example.shown);
  }
}

}  // namespace
}  // namespace saverpack
