// Every Win32 implementation of the platform in one place, wired into a Platform, and the installer's view: what the stub
// and the Windows-side test programs construct once at start.
#pragma once

#include "platform/platform.h"
#include "platform/win32/win32_background_work.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_platform.h"
#include "platform/win32/win32_player_control.h"
#include "platform/win32/win32_shell.h"
#include "platform/win32/win32_system.h"
#include "ui/win32/win32_installer_view.h"

namespace saverkit::win32 {

struct Win32Runtime {
  Win32TextSource texts;
  Win32WindowMessaging messaging;
  Win32Clock clock;
  Win32ProcessEnvironment process;
  Win32InstallerView view{texts};
  Win32FileSystem files;
  Win32SystemInfo system;
  Win32Registry registry;
  Win32Shell shell;
  Win32LibraryLoader libraries;
  Win32PlayerControl player;
  Win32BackgroundWork background;
  Platform platform{texts,  messaging, clock,     process,   files,
                    system, registry,  shell,     libraries, player, background};
};

}  // namespace saverkit::win32
