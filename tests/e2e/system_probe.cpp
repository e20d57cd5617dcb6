// Runs the installer's system services on the real Win32 platform and prints what they did, one
// "name=value" line each, for the end-to-end cases to check against Wine's own view.
//   folders                 the OS code and every folder value (creates a working folder)
//   register NAME           registerUninstall; unregister NAME: unregisterUninstall
//   close-display-properties
//   remove-shortcut         removeStartupShortcut for this program's own path
//   file-version PATH       myGetFileVersion
//   delete-tree FOLDER\     deleteFolderTree
//   prepare NAME [ask]      prepareProductFolder under the shared folder
#include <cstdio>
#include <string>

#include "common/crc32.h"
#include "system/file_helpers.h"
#include "system/folders.h"
#include "system/os_detection.h"
#include "system/product_folder.h"
#include "system/registration.h"
#include "system/shell_actions.h"
#include "ui/win32/win32_runtime.h"

#include <aclapi.h>
#include <sddl.h>

namespace {

void print(const std::string& name, const std::string& value) {
  std::printf("%s=%s\n", name.c_str(), value.c_str());
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  using namespace saverkit;
  win32::Win32Runtime runtime;
  Platform& p = runtime.platform;
  const std::string command = argc > 1 ? argv[1] : "";
  const std::string argument = argc > 2 ? argv[2] : "";
  const auto report = [](const std::string& text) { print("report", text); };

  Folders folders;
  std::unique_ptr<HeldFolder> hold;
  const Status folderStatus = initFolders(p.files, p.system, p.process, p.process.modulePath(), folders, hold);
  if (command == "folders") {
    print("os", std::to_string(GetOperatingSystem(p.system)));
    print("status", std::to_string(folderStatus));
    print("windowsFolder", folders.windowsFolder);
    print("systemFolder", folders.systemFolder);
    print("nativeSystemFolder", folders.nativeSystemFolder);
    print("sharedFolder", folders.sharedFolder);
    print("installerFolder", folders.installerFolder);
    print("workingFolder", folders.workingFolder);
    return 0;
  }
  // Every other command cleans up the working folder it made on the way.
  hold.reset();
  deleteFolderTree(p.files, folders.workingFolder);
  if (command == "dacl") {
    // The owner and the rights a folder has, as Windows (or Wine) keeps them.
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    char* text = nullptr;
    std::string name = argument;
    const DWORD read = GetNamedSecurityInfoA(name.data(), SE_FILE_OBJECT,
                                             OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, nullptr,
                                             nullptr, nullptr, nullptr, &descriptor);
    if (read == ERROR_SUCCESS && ConvertSecurityDescriptorToStringSecurityDescriptorA(
                                     descriptor, SDDL_REVISION_1, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                                     &text, nullptr)) {
      print("sddl", text);
      LocalFree(text);
    } else {
      print("sddl-error", std::to_string(read));
    }
    if (descriptor) LocalFree(descriptor);
  } else if (command == "register") {
    print("status", std::to_string(registerUninstall(p.registry, p.system, p.texts, folders.systemFolder, argument)));
  } else if (command == "unregister") {
    print("status", std::to_string(unregisterUninstall(p.registry, argument)));
  } else if (command == "close-display-properties") {
    closeDisplayProperties(p.messaging, p.texts);
    print("closed", "1");
  } else if (command == "remove-shortcut") {
    const auto crc = crc32OfText(p.process.modulePath(), report);
    print("modulePath", p.process.modulePath());
    print("shortcut", crc ? startupShortcutName(*crc) : "");
    removeStartupShortcut(p.files, p.system, p.process.modulePath(), report);
  } else if (command == "file-version") {
    std::int32_t major = -1, third = -1;
    myGetFileVersion(p.system, argument, major, third);
    print("version", std::to_string(major) + " " + std::to_string(third));
  } else if (command == "delete-tree") {
    print("status", std::to_string(deleteFolderTree(p.files, argument)));
  } else if (command == "prepare") {
    const bool ask = argc > 3 && std::string(argv[3]) == "ask";
    const auto confirm = [&runtime](const std::string& question) { return runtime.view.showDialog(DialogKind::kOkCancel, question); };
    std::unique_ptr<HeldFolder> sharedHold;
    std::unique_ptr<HeldFolder> productHold;
    print("status", std::to_string(prepareProductFolder(p.files, confirm, folders, argument, ask,
                                                        " screen saver already exists. Overwrite?", {}, sharedHold,
                                                        productHold)));
  } else {
    std::fprintf(stderr, "unknown command %s\n", command.c_str());
    return 2;
  }
  return 0;
}
