// The installer's folders; see the header.
#include "system/folders.h"

#include "common/text_helpers.h"

namespace saverkit {

namespace {

// A folder the system did not name stays empty rather than becoming "\", which would point at
// the root of the current drive; the steps that need the folder then refuse to work in it.
std::string folderValue(const std::string& folder) {
  return folder.empty() ? std::string() : withTrailingBackslash(folder);
}

}  // namespace

std::string getSpecialFolder(SystemInfo& system, int folder) {
  const SpecialFolderAnswer answer = system.specialFolderLocation(folder);
  if (answer.callSucceeded) return answer.path.value_or("");
  if (folder == csidl::kAppData || folder == csidl::kPersonal) {
    return system.folderPath(folder).value_or("");
  }
  return "";
}

Status createWorkingFolder(FileSystem& files, SystemInfo& system, const std::string& prefix,
                           std::string& folder) {
  const std::string localData = getSpecialFolder(system, csidl::kLocalAppData);
  if (localData.empty()) {
    folder.clear();
    return win_error::kPathNotFound;
  }
  std::string base = withTrailingBackslash(localData) + kCompanyFolderName;
  // The company folder's own creation is not checked: a failure shows up below.
  if (!files.folderExists(base)) files.createFolder(base);
  base += prefix;
  for (int number = 1; number <= kMaxNumberedFolders; ++number) {
    const std::string candidate = base + decimal(number);
    if (files.folderExists(candidate)) continue;
    if (files.createFolder(candidate)) {
      folder = candidate + "\\";
      return status::kSuccess;
    }
  }
  folder = base;
  const Status error = files.lastError();
  return error != 0 ? error : status::kNothingDone;
}

Status initFolders(FileSystem& files, SystemInfo& system, const ProcessEnvironment& process,
                   const std::string& installerPath, Folders& folders) {
  folders.windowsFolder = folderValue(process.environmentVariable("WINDIR").value_or(""));
  folders.systemFolder = folderValue(system.systemDirectory());
  const std::string systemRoot = folderValue(process.environmentVariable("SystemRoot").value_or(""));
  folders.nativeSystemFolder = systemRoot.empty() ? "" : systemRoot + "Sysnative\\";
  const std::string commonData = folderValue(getSpecialFolder(system, csidl::kCommonAppData));
  folders.sharedFolder = commonData.empty() ? "" : commonData + kCompanyFolderName;
  folders.installerFolder = folderOf(installerPath);
  return createWorkingFolder(files, system, kWorkingFolderPrefix, folders.workingFolder);
}

}  // namespace saverkit
