// The status codes are a contract with launchers and deployment scripts: pin every value.
#include <gtest/gtest.h>

#include <set>

#include "common/status.h"

namespace saverkit {
namespace {

TEST(StatusTable, EveryCodeKeepsItsValue) {
  const std::pair<Status, Status> pinned[] = {
      {status::kSuccess, 0},
      {status::kNothingDone, -1},
      {status::kAccessDenied, 5},
      {status::kNoMemory, -7},
      {status::kItemBeyondCount, -12},
      {status::kSizeMismatch, -13},
      {status::kDataFileNotOpen, -15},
      {status::kFileMissing, -16},
      {status::kShortCopy, -30},
      {status::kHeaderTooShort, -31},
      {status::kFileBusy, -32},
      {status::kLibraryNotLoaded, -35},
      {status::kSaverNotReplaceable, -38},
      {status::kPlayerInstallerMissing, -401},
      {status::kNoPlayer, -402},
      {status::kPlayerNotCreated, -403},
      {status::kMovieUnreadable404, -404},
      {status::kMovieUnreadable405, -405},
      {status::kMovieUnreadable406, -406},
      {status::kPlayerNotReleased, -409},
      {status::kPlayerTooOld, -410},
      {status::kOverwriteDeclined, -454},
      {status::kPlayerInstallerIncompatible, -455},
      {status::kWorkingCopyFailed, -523},
      {status::kSlotNameEmpty, -531},
      {status::kDataCopyFailed, -532},
      {status::kUninstallWriteFailed, -2201},
      {status::kUninstallRemoveFailed, -2202},
      {status::kUnsafeSaverName, -600},
      {status::kUnsafeSlotName, -601},
      {status::kSlotOutsideFile, -602},
      {status::kSlotWithoutTarget, -603},
      {status::kUnsafeItemPath, -604},
      {status::kDataFileDamaged, -605},
      {status::kQuietStartupRaised, -606},
      {status::kUnsafeFolder, -607},
      {status::kPackageChanged, -608},
  };
  for (const auto& [constant, value] : pinned) {
    SCOPED_TRACE(value);
    EXPECT_EQ(constant, value);
    EXPECT_TRUE(isKnownStatus(value));
    EXPECT_STRNE(statusMeaning(value), "");
  }
}

TEST(StatusTable, CodesAreUniqueAndForeignCodesHaveNoMeaning) {
  std::set<Status> seen;
#define SAVERKIT_COLLECT(name, value, meaning) EXPECT_TRUE(seen.insert(value).second) << #name;
  SAVERKIT_STATUS_MAP(SAVERKIT_COLLECT)
#undef SAVERKIT_COLLECT
  EXPECT_FALSE(isKnownStatus(32));
  EXPECT_STREQ(statusMeaning(2), "");
}

}  // namespace
}  // namespace saverkit
