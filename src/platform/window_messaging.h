// Messages to windows of other programs: the launcher channel's two messages, and finding and
// pressing buttons of other programs' dialogs.
#pragma once

#include <cstdint>
#include <string>

#include "platform/platform_types.h"

namespace saverkit {

class WindowMessaging {
 public:
  virtual ~WindowMessaging() = default;
  // WM_COPYDATA, sent and waited for: `sender` as the first parameter, a copy-data block with
  // dwData = `tag` and the bytes of `data` (all of them, NULs included). False when the target
  // is not a window; the reply is not used.
  virtual bool sendCopyData(WindowHandle target, WindowHandle sender, std::uint32_t tag,
                            const std::string& data) = 0;
  // Posts a message without waiting. False when the target is not a window.
  virtual bool postMessage(WindowHandle target, std::uint32_t message, std::uint32_t wParam,
                           std::uint32_t lParam) = 0;
  // A top-level window of any class whose whole title is this one (letter case aside, as
  // Windows compares titles), or kNoWindow.
  virtual WindowHandle findTopLevelWindow(const std::string& title) = 0;
  // Sends BM_CLICK to the dialog's control with this id and waits until it is handled.
  virtual void clickDialogControl(WindowHandle dialog, int controlId) = 0;
};

}  // namespace saverkit
