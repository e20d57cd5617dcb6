// The platform the core runs on: one reference per interface, handed down from main/WinMain.
#pragma once

#include "platform/clock.h"
#include "platform/installer_view.h"
#include "platform/process_environment.h"
#include "platform/text_source.h"
#include "platform/window_messaging.h"

namespace saverkit {

struct Platform {
  TextSource& texts;
  WindowMessaging& messaging;
  Clock& clock;
  ProcessEnvironment& process;
  InstallerView& view;
};

}  // namespace saverkit
