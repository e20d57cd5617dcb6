// Which names from a package may reach the file system.
#include <gtest/gtest.h>

#include "common/file_names.h"

namespace saverkit {
namespace {

TEST(SafeBareName, AcceptsOrdinaryNamesWithSpacesAndDots) {
  for (const char* name : {"Ocean", "Ocean Waves", "Fish Screensaver.scr", "impborl.dat", "a",
                           "console", "COM10", "LPT0", ".hidden", "x..y"}) {
    SCOPED_TRACE(name);
    EXPECT_TRUE(isSafeBareName(name));
  }
}

TEST(SafeBareName, RefusesNamesThatEscapeOrThatWindowsTreatsSpecially) {
  for (const char* name : {"", ".", "..", "..\\x", "a\\b", "a/b", "C:", "a:b", "a*", "a?", "a|b",
                           "a<b", "a>b", "a\"b", "tab\there", "new\nline", "trailing.",
                           "trailing ", "CON", "con", "con.txt2x", "Nul.txt", "com1", "LPT9.dll", "AUX",
                           "PRN.scr"}) {
    SCOPED_TRACE(name);
    EXPECT_FALSE(isSafeBareName(name));
  }
  EXPECT_FALSE(isSafeBareName(std::string(256, 'a')));
  EXPECT_TRUE(isSafeBareName(std::string(255, 'a')));
}

TEST(SafeRelativePath, SubfoldersYesEscapesNo) {
  for (const char* path : {"a.swf", "media\\a.swf", "media/sub/b.jpg", "Sounds\\Ocean Waves.mp3"}) {
    SCOPED_TRACE(path);
    EXPECT_TRUE(isSafeRelativePath(path));
  }
  for (const char* path : {"", "\\a", "/a", "C:\\a", "C:a", "..\\a", "a\\..\\..\\b", "a\\.\\b",
                           "a\\\\b", "a\\", "file.txt:stream", "a\\NUL", "\\\\server\\share\\x"}) {
    SCOPED_TRACE(path);
    EXPECT_FALSE(isSafeRelativePath(path));
  }
}

}  // namespace
}  // namespace saverkit
