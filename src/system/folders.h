// The installer's folders, worked out once at start. Every value ends with a backslash.
#pragma once

#include <memory>
#include <string>

#include "common/status.h"
#include "platform/file_system.h"
#include "platform/process_environment.h"
#include "platform/system_info.h"

namespace saverkit {

struct Folders {
  std::string windowsFolder;
  std::string systemFolder;
  std::string nativeSystemFolder;
  std::string sharedFolder;
  std::string installerFolder;
  std::string workingFolder;
};

inline constexpr const char* kCompanyFolderName = "Vantrel\\";
inline constexpr const char* kWorkingFolderPrefix = "ZOR";
inline constexpr int kMaxNumberedFolders = 1000;

// A shell special folder without trailing backslash, or an empty text. Only CSIDL_APPDATA and
// CSIDL_PERSONAL fall back to the SHGetFolderPath route when the first query fails.
std::string getSpecialFolder(SystemInfo& system, int folder);

// "<local app data>\Vantrel\": the profile's own local folder as Windows places it by default,
// not where the user's "User Shell Folders" value says (the configured one only when the system
// names no default). Empty when neither is known.
std::string localCompanyFolder(SystemInfo& system);

// A fresh numbered folder "<local app data>\Vantrel\<prefix><n>\" for n = 1..1000, skipping
// folders left by earlier runs, made with rights for administrators only and held in `hold`
// from then on. The local folder is reached without passing a link, then "Vantrel" is made ours
// (FileSystem::secureFolder): -607, with `folder` empty, when a link stands on the way, or
// "Vantrel" is a link or another user's folder; its system's code when it cannot be made ours. When no numbered folder can be made, the system's code with `folder` at the base.
Status createWorkingFolder(FileSystem& files, SystemInfo& system, const std::string& prefix,
                           std::string& folder, std::unique_ptr<HeldFolder>& hold);

// Sets every folder value, the Windows folders from the system itself; the result is that of
// the working folder's creation.
Status initFolders(FileSystem& files, SystemInfo& system, const ProcessEnvironment& process,
                   const std::string& installerPath, Folders& folders, std::unique_ptr<HeldFolder>& hold);

}  // namespace saverkit
