// What the installer asks Windows about itself: the version record, WOW64, the system folder,
// shell special folders, short path names and file version resources.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "common/file_names.h"

namespace saverkit {

// The ANSI version record's fields the installer reads.
struct VersionRecord {
  std::uint32_t majorVersion = 0;
  std::uint32_t minorVersion = 0;
  std::uint32_t buildNumber = 0;
  std::uint32_t platformId = 0;  // 1: the 95/98/ME family, 2: the NT family
  std::string servicePack;
};

enum class Wow64Answer { kNoSuchFunction, kNo, kYes, kCallFailed };

// The special-folder query: whether the call succeeded, and the path when it gave a non-empty
// item list that converted to one.
struct SpecialFolderAnswer {
  bool callSucceeded = false;
  std::optional<std::string> path;
};

// The fixed file information's two version words.
struct FileVersionWords {
  std::uint32_t mostSignificant = 0;
  std::uint32_t leastSignificant = 0;
};

// Special-folder numbers (CSIDL) the installer uses.
namespace csidl {
inline constexpr int kPersonal = 5;
inline constexpr int kStartup = 7;
inline constexpr int kAppData = 26;
inline constexpr int kLocalAppData = 28;
inline constexpr int kCommonAppData = 35;
}  // namespace csidl

class SystemInfo {
 public:
  virtual ~SystemInfo() = default;
  virtual std::optional<VersionRecord> readVersion() = 0;
  virtual Wow64Answer queryWow64() = 0;
  virtual std::string systemDirectory() = 0;
  // The system's own Windows folder, as the system knows it: never from the environment, which
  // the user's programs set.
  virtual std::string windowsDirectory() = 0;
  virtual SpecialFolderAnswer specialFolderLocation(int folder) = 0;
  // The SHGetFolderPath route, used only as a fallback for two folders.
  virtual std::optional<std::string> folderPath(int folder) = 0;
  // Where Windows itself puts a folder of the user's (SHGFP_TYPE_DEFAULT), whatever the user's
  // own "User Shell Folders" value says.
  virtual std::optional<std::string> defaultFolderPath(int folder) = 0;
  virtual std::optional<std::string> shortPath(const std::string& path) = 0;
  // Nothing when the file has no version data or a query fails.
  virtual std::optional<FileVersionWords> fileVersion(const std::string& path) = 0;
  // The ANSI code page's lead bytes, for walking names character by character.
  virtual CodePage ansiCodePage() = 0;
};

}  // namespace saverkit
