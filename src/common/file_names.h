// Which names from a package may reach the file system. The saver name, slot names and data
// file item paths come from the installer file, which anybody can build: a name that escapes
// its folder would make the installer write, replace or (on rollback) delete files elsewhere.
// Names are judged as Windows will store them, character by character in the system's ANSI
// code page, so that only names that are unsafe in fact are refused.
#pragma once

#include <bitset>
#include <string>
#include <string_view>
#include <vector>

namespace saverkit {

// The ANSI code page as far as names care: which bytes begin a double-byte character (whose
// second byte may be any value, "\" and "|" included). Empty: a single-byte code page.
struct CodePage {
  std::bitset<256> leadBytes;
  bool isLeadByte(unsigned char byte) const { return leadBytes.test(byte); }
};

// The name as Windows stores it: trailing spaces and full stops dropped ("Aquarium Inc." is
// stored as "Aquarium Inc"). A name of nothing but those stays as it is, and is refused.
std::string storedFileName(std::string_view name);

// A name Windows accepts as one file or folder name once stored: 1 to 255 characters, no
// control character, none of < > : " / \ | ? * outside double-byte characters, not "." or "..",
// and not a reserved device name (CON, PRN, AUX, NUL, COM1-COM9, LPT1-LPT9, with or without
// extension). Spaces inside the name are fine.
bool isSafeBareName(std::string_view name, const CodePage& codePage = {});

// A path relative to a folder that stays inside it: components separated by "\" (or "/"), each
// one a safe bare name; no drive, no leading separator, no empty component.
bool isSafeRelativePath(std::string_view path, const CodePage& codePage = {});

// The names a path is made of, split at "\" and "/"; empty ones (doubled separators) skipped.
std::vector<std::string> pathComponents(std::string_view path);

}  // namespace saverkit
