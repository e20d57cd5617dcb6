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

}  // namespace
}  // namespace saverpack
