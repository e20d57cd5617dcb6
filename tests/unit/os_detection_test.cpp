// Which Windows the installer believes it runs on: every row of the classification.
#include <gtest/gtest.h>

#include "common/saverkit_error.h"
#include "platform/fake/fake_system.h"
#include "system/os_detection.h"

namespace saverkit {
namespace {

VersionRecord record(std::uint32_t platform, std::uint32_t major, std::uint32_t minor,
                     std::string servicePack = "") {
  return VersionRecord{major, minor, 0, platform, std::move(servicePack)};
}

TEST(OperatingSystem, ClassificationTable) {
  struct Row {
    const char* label;
    std::optional<VersionRecord> version;
    bool wow64;
    std::int32_t expected;
  };
  const Row rows[] = {
      {"64-bit whatever the version", record(2, 10, 0), true, 7},
      {"64-bit even without a version", std::nullopt, true, 7},
      {"95", record(1, 4, 0), false, 0},
      {"98", record(1, 4, 10, " B"), false, 1},
      {"98 empty service pack", record(1, 4, 10, ""), false, 1},
      {"98 one-character service pack", record(1, 4, 10, "A"), false, 1},
      {"98 SE", record(1, 4, 10, " A"), false, 2},
      {"98 lower-case a is not SE", record(1, 4, 10, " a"), false, 1},
      {"ME", record(1, 4, 90), false, 3},
      {"other 9x", record(1, 4, 20), false, -1},
      {"NT 3.51", record(2, 3, 51), false, 4},
      {"NT 4", record(2, 4, 0), false, 4},
      {"2000", record(2, 5, 0), false, 5},
      {"XP", record(2, 5, 1), false, 6},
      {"Server 2003", record(2, 5, 2), false, -1},
      {"Vista on 32 bits", record(2, 6, 0), false, -1},
      {"Windows 10 on 32 bits", record(2, 10, 0), false, -1},
      {"Win32s platform", record(0, 3, 10), false, -1},
      {"version query failed", std::nullopt, false, -1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.label);
    EXPECT_EQ(classifyOperatingSystem(row.version, row.wow64), row.expected);
  }
}

TEST(OperatingSystem, Wow64Answers) {
  fake::FakeSystemInfo system;
  system.version = record(2, 6, 1);
  system.wow64 = Wow64Answer::kNoSuchFunction;
  EXPECT_FALSE(runningUnderWow64(system));
  EXPECT_EQ(GetOperatingSystem(system), -1);
  system.wow64 = Wow64Answer::kYes;
  EXPECT_EQ(GetOperatingSystem(system), 7);
  system.wow64 = Wow64Answer::kCallFailed;
  try {
    GetOperatingSystem(system);
    ADD_FAILURE() << "no error raised";
  } catch (const SaverkitError& error) {
    EXPECT_STREQ(error.what(), "Bad process handle");
  }
}

TEST(OperatingSystem, FamilyFlagsSetOneFlagAtMost) {
  struct Row {
    std::optional<VersionRecord> version;
    WindowsFamilyFlags expected;
    bool ninetyFive;
  };
  const Row rows[] = {
      {record(1, 4, 0), {1, 0, 0, 0, 0, 0}, true},
      {record(1, 4, 10, " A"), {0, 1, 0, 0, 0, 0}, true},
      {record(1, 4, 90), {0, 0, 1, 0, 0, 0}, true},
      {record(2, 4, 0), {0, 0, 0, 1, 0, 0}, false},
      {record(2, 5, 0), {0, 0, 0, 0, 1, 0}, false},
      {record(2, 5, 1), {0, 0, 0, 0, 0, 1}, false},
      {record(2, 5, 2), {0, 0, 0, 0, 0, 0}, false},
      {record(2, 6, 1), {0, 0, 0, 0, 0, 0}, false},
      {std::nullopt, {0, 0, 0, 0, 0, 0}, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.version ? row.version->majorVersion * 100 + row.version->minorVersion : 0);
    const WindowsFamilyFlags flags = classifyWindowsFamily(row.version);
    EXPECT_EQ(flags.windows95, row.expected.windows95);
    EXPECT_EQ(flags.windows98, row.expected.windows98);
    EXPECT_EQ(flags.windowsMe, row.expected.windowsMe);
    EXPECT_EQ(flags.windowsNt, row.expected.windowsNt);
    EXPECT_EQ(flags.windows2000, row.expected.windows2000);
    EXPECT_EQ(flags.windowsXp, row.expected.windowsXp);
    EXPECT_EQ(flags.ninetyFiveFamily(), row.ninetyFive);
  }
}

}  // namespace
}  // namespace saverkit
