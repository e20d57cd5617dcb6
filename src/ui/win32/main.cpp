// The installer stub's entry point: the Win32 platform, the installer context and the program.
#include "installer/installer_context.h"
#include "installer/installer_form.h"
#include "installer/program_start.h"
#include "platform/win32/win32_platform.h"
#include "platform/win32/windows_api.h"
#include "ui/win32/win32_installer_view.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  using namespace saverkit;
  win32::Win32TextSource texts;
  win32::Win32WindowMessaging messaging;
  win32::Win32Clock clock;
  win32::Win32ProcessEnvironment process;
  win32::Win32InstallerView view(texts);
  Platform platform{texts, messaging, clock, process, view};
  InstallerContext context(platform);
  InstallerForm form(context);
  return runProgram(context, form);
}
