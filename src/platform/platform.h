// The platform the core runs on: one reference per interface, handed down from main/WinMain.
#pragma once

#include "platform/background_work.h"
#include "platform/clock.h"
#include "platform/file_system.h"
#include "platform/library_loader.h"
#include "platform/player_control.h"
#include "platform/process_environment.h"
#include "platform/registry.h"
#include "platform/shell.h"
#include "platform/system_info.h"
#include "platform/text_source.h"
#include "platform/window_messaging.h"

namespace saverkit {

struct Platform {
  TextSource& texts;
  WindowMessaging& messaging;
  Clock& clock;
  ProcessEnvironment& process;
  FileSystem& files;
  SystemInfo& system;
  Registry& registry;
  Shell& shell;
  LibraryLoader& libraries;
  PlayerControl& player;
  BackgroundWork& background;
};

}  // namespace saverkit
