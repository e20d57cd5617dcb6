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
                           "a<b", "a>b", "a\"b", "tab\there", "new\nline", "...", ". .", "con.", "CON .txt", "CON", "con", "con.txt2x", "Nul.txt", "com1", "LPT9.dll", "AUX",
                           "PRN.scr"}) {
    SCOPED_TRACE(name);
    EXPECT_FALSE(isSafeBareName(name));
  }
  EXPECT_FALSE(isSafeBareName(std::string(256, 'a')));
  EXPECT_TRUE(isSafeBareName(std::string(255, 'a')));
}

// Windows drops trailing full stops and spaces when it stores a name: such names are judged,
// and used, as stored.
TEST(SafeBareName, TrailingDotsAndSpacesAreJudgedAsWindowsStoresThem) {
  for (const char* name : {"Aquarium Inc.", "trailing ", "Reef. . ", "readme.txt."}) {
    SCOPED_TRACE(name);
    EXPECT_TRUE(isSafeBareName(name));
  }
  EXPECT_EQ(storedFileName("Aquarium Inc."), "Aquarium Inc");
  EXPECT_EQ(storedFileName("Reef. . "), "Reef");
  EXPECT_EQ(storedFileName("x..y"), "x..y");
  EXPECT_EQ(storedFileName("..."), "...");  // nothing left: kept, and refused above
}

// In a double-byte code page the second byte of a character may be "\" or "|"; such a byte is
// part of the character, not a separator or a forbidden sign. Lead bytes here as in Shift-JIS.
TEST(SafeBareName, DoubleByteCharactersAreWalkedWhole) {
  CodePage shiftJis;
  for (int lead = 0x81; lead <= 0x9F; ++lead) shiftJis.leadBytes.set(static_cast<std::size_t>(lead));
  const std::string table = "\x95\x5C";  // a character whose second byte is "\"
  const std::string sign = "\x83\x7C";   // and one whose second byte is "|"
  EXPECT_TRUE(isSafeBareName(table + ".scr", shiftJis));
  EXPECT_TRUE(isSafeBareName("Fish " + sign, shiftJis));
  EXPECT_FALSE(isSafeBareName(table + ".scr"));  // in a single-byte code page it is a separator
  EXPECT_TRUE(isSafeRelativePath("media\\" + table + "\\a.swf", shiftJis));
  EXPECT_FALSE(isSafeRelativePath(table + "\\..\\a", shiftJis));
  EXPECT_FALSE(isSafeBareName("a\x95", shiftJis));  // a lead byte without its second byte
  EXPECT_FALSE(isSafeBareName("a\x95\\b", CodePage{}));
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

namespace saverkit {
namespace {

TEST(PathComponents, SplitAtEitherSeparatorSkippingEmptyNames) {
  EXPECT_EQ(pathComponents("a\\b/c"), (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_EQ(pathComponents("\\\\a\\\\b\\"), (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(pathComponents("name.txt"), (std::vector<std::string>{"name.txt"}));
  EXPECT_TRUE(pathComponents("").empty());
  EXPECT_TRUE(pathComponents("\\/").empty());
}

}  // namespace
}  // namespace saverkit
