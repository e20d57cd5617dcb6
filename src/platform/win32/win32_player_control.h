// The Flash Player control through COM: created from the file the machine registers for it,
// through that file's own class factory, driven through its dispatch interface, and hosted in
// the movie panel by the system's own control container (atl.dll from the system folder). OLE
// is started on the first use of a control, not at the program's start: under Wine starting it
// takes the clipboard and costs more than a whole small install, and an install that never
// meets a player never needs it.
#pragma once

#include "platform/player_control.h"

namespace saverkit::win32 {

class Win32PlayerControl : public PlayerControl {
 public:
  Win32PlayerControl() = default;
  Win32PlayerControl(const Win32PlayerControl&) = delete;
  Win32PlayerControl& operator=(const Win32PlayerControl&) = delete;
  // Ends OLE on this thread when this object started it; every player is freed by then.
  ~Win32PlayerControl() override;

  PlayerVersionAnswer queryVersion(const std::string& controlFile) override;
  std::unique_ptr<HostedPlayer> createHostedPlayer(WindowHandle panel, const std::string& controlFile) override;

 private:
  // OLE, not just COM, on the calling (user-interface) thread: the control is hosted in place.
  void startOle();
  bool oleStarted_ = false;
};

}  // namespace saverkit::win32
