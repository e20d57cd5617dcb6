// Work that another processor does while the caller goes on, one piece at a time. The installer
// hashes its package this way while it copies it, so that checking the package costs next to no
// time on a machine with two processors. Only pure computation on memory goes here: nothing
// that touches the system, the windows or the installer's state.
#pragma once

#include <functional>

namespace saverkit {

class BackgroundWork {
 public:
  virtual ~BackgroundWork() = default;
  // Waits until the task posted before has finished, then runs `task` on another thread (or at
  // once on this one, when no other can be had). What the task reads must stay unchanged, and
  // what it writes unread, until the next post() or finish() returns.
  virtual void post(std::function<void()> task) = 0;
  // Waits until the task posted last has finished.
  virtual void finish() = 0;
};

}  // namespace saverkit
