// The installer stub's entry point: the Win32 platform, the installer context and the program.
#include "installer/installer_context.h"
#include "installer/installer_form.h"
#include "installer/program_start.h"
#include "platform/win32/windows_api.h"
#include "ui/win32/win32_runtime.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  saverkit::win32::Win32Runtime runtime;
  saverkit::InstallerContext context(runtime.platform);
  saverkit::InstallerForm form(context);
  return saverkit::runProgram(context, form);
}
