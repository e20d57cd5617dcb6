// All fakes of one test wired into a Platform: the platform fakes and the installer's fake view,
// which the Platform carries. Tests change the fakes' scripts and read their records directly.
#pragma once

#include "installer/fake/fake_installer_view.h"
#include "platform/fake/fake_file_system.h"
#include "platform/fake/fake_services.h"
#include "platform/fake/fake_system.h"
#include "platform/platform.h"

namespace saverkit::fake {

struct FakePlatform {
  FakeTextSource texts;
  FakeWindowMessaging messaging;
  FakeClock clock;
  FakeProcessEnvironment process;
  FakeInstallerView view;
  FakeFileSystem files;
  FakeSystemInfo system;
  FakeRegistry registry;
  FakeShell shell;
  FakeLibraryLoader libraries;
  FakePlayerControl player;
  Platform platform{texts,  messaging, clock,    process, view,
                    files,  system,    registry, shell,   libraries, player};
};

}  // namespace saverkit::fake
