// The installer stub's entry point: the Win32 platform, the installer context and the program.
#include "installer/administrator_view.h"
#include "installer/installer_context.h"
#include "installer/installer_form.h"
#include "installer/program_start.h"
#include "platform/win32/system_library.h"
#include "platform/win32/windows_api.h"

#include "ui/win32/win32_runtime.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  // First of all: no library of ours may ever come from the download folder, nor any library
  // that the system's own load late.
  saverkit::win32::restrictLibrarySearchToSystemFolder();
  saverkit::win32::preloadSystemLibraries();
  int exitCode = 0;
  {
    saverkit::win32::Win32Runtime runtime;
    saverkit::AdministratorView view(runtime.view, runtime.files, runtime.texts,
                                     saverkit::readAdministratorSwitches(runtime.process.commandLineParameters()));
    saverkit::InstallerContext context(runtime.platform, view);
    saverkit::InstallerForm form(context);
    exitCode = saverkit::runProgram(context, form);
  }
  return exitCode;
}
