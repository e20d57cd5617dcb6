// Background work through one thread of our own, started at the first task and ended with the
// object; two events hand each task over and back.
#pragma once

#include "platform/background_work.h"
#include "platform/win32/unique_handle.h"

namespace saverkit::win32 {

class Win32BackgroundWork : public BackgroundWork {
 public:
  Win32BackgroundWork() = default;
  Win32BackgroundWork(const Win32BackgroundWork&) = delete;
  Win32BackgroundWork& operator=(const Win32BackgroundWork&) = delete;
  ~Win32BackgroundWork() override;
  void post(std::function<void()> task) override;
  void finish() override;

 private:
  bool startThread();
  static DWORD WINAPI runTasks(void* self);

  std::function<void()> task_;
  bool busy_ = false;
  bool stopping_ = false;
  UniqueNullHandle taskReady_;
  UniqueNullHandle taskDone_;
  UniqueNullHandle thread_;
};

}  // namespace saverkit::win32
