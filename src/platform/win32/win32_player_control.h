// The Flash Player control through COM: created by its class identifier, driven through its
// dispatch interface, and hosted in the movie panel by the system's own control container
// (atl.dll from the system folder).
#pragma once

#include "platform/player_control.h"

namespace saverkit::win32 {

class Win32PlayerControl : public PlayerControl {
 public:
  PlayerVersionAnswer queryVersion() override;
  std::unique_ptr<HostedPlayer> createHostedPlayer(WindowHandle panel) override;
};

}  // namespace saverkit::win32
