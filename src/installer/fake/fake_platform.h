// All fakes of one test: the platform fakes wired into a Platform, and beside it the installer's
// fake view, which an InstallerContext takes with the Platform. Tests change the fakes' scripts and read their records directly.
#pragma once

#include "flash/player_detection.h"
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
  FakeBackgroundWork background;
  Platform platform{texts,  messaging, clock,     process,   files,
                    system, registry,  shell,     libraries, player, background};

  // What the installer hands the flash layer, over these fakes.
  FlashServices flashServices(PlayerVersionCache& versionCache) {
    return FlashServices{files, system, registry, clock, shell, player, view, versionCache};
  }
  // The player control registered for the whole machine, as a player's installer does it.
  void registerPlayerControl(const std::string& file) {
    registry.openKey(RegistryRoot::kLocalMachine, kPlayerClassKey, KeyAccess::kCreate)->setString("", file);
  }
};

}  // namespace saverkit::fake
