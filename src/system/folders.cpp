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

std::string localCompanyFolder(SystemInfo& system) {
  const std::string localData =
      system.defaultFolderPath(csidl::kLocalAppData).value_or(getSpecialFolder(system, csidl::kLocalAppData));
  return localData.empty() ? std::string() : withTrailingBackslash(localData) + kCompanyFolderName;
}

Status createWorkingFolder(FileSystem& files, SystemInfo& system, const std::string& prefix,
                           std::string& folder, std::unique_ptr<HeldFolder>& hold) {
  hold.reset();
  const std::string company = localCompanyFolder(system);
  folder.clear();  // on a refusal nothing of ours is there to be removed
  if (company.empty()) return win_error::kPathNotFound;
  // The user owns the profile: its folders can be swapped for links at any time, and the user
  // chooses where "User Shell Folders" says they are. The taking over below must never reach a
  // folder of someone else's (the shared C:\ProgramData\Vantrel, say), so the default local
  // folder is walked to without passing a link and held. "Vantrel" is then made ours (made, or
  // taken over by Administrators with rights of its own) and held while the numbered folder is
  // made in it relative to that hold; the numbered folder is then held, so that nothing above or
  // in it can be renamed or replaced until the run lets it go.
  const std::string companyBare = company.substr(0, company.size() - 1);
  Status error = 0;
  const std::unique_ptr<HeldFolder> localHold = files.holdFolderWithoutLinks(folderOf(companyBare), error);
  if (!localHold) return error != 0 ? error : status::kNothingDone;
  const std::unique_ptr<HeldFolder> companyHold = files.secureFolder(companyBare, FolderRights::kAdministratorsOnly, error);
  if (!companyHold) return error != 0 ? error : status::kNothingDone;
  const std::string base = company + prefix;
  error = status::kNothingDone;
  for (int number = 1; number <= kMaxNumberedFolders; ++number) {
    const std::string name = prefix + decimal(number);
    if (files.folderExists(company + name) || files.isLink(company + name)) continue;
    hold = files.createHeldFolderIn(*companyHold, name, FolderRights::kAdministratorsOnly, error);
    if (!hold) continue;
    folder = company + name + "\\";
    return status::kSuccess;
  }
  folder = base;
  return error != 0 ? error : status::kNothingDone;
}

Status initFolders(FileSystem& files, SystemInfo& system, const ProcessEnvironment&,
                   const std::string& installerPath, Folders& folders, std::unique_ptr<HeldFolder>& hold) {
  // The Windows folder decides where the engine is written and what a reinstall deletes: it
  // comes from the system, never from WINDIR or SystemRoot, which the user's programs set.
  const std::string windows = folderValue(system.windowsDirectory());
  folders.windowsFolder = windows;
  folders.systemFolder = folderValue(system.systemDirectory());
  folders.nativeSystemFolder = windows.empty() ? "" : windows + "Sysnative\\";
  const std::string commonData = folderValue(getSpecialFolder(system, csidl::kCommonAppData));
  folders.sharedFolder = commonData.empty() ? "" : commonData + kCompanyFolderName;
  folders.installerFolder = folderOf(installerPath);
  return createWorkingFolder(files, system, kWorkingFolderPrefix, folders.workingFolder, hold);
}

}  // namespace saverkit
