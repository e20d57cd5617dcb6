// Background work on a thread of our own; see the header. The events order every hand-over, so
// the task and the flags need no other lock.
#include "platform/win32/win32_background_work.h"

namespace saverkit::win32 {

Win32BackgroundWork::~Win32BackgroundWork() {
  if (!thread_) return;
  finish();
  stopping_ = true;
  ::SetEvent(taskReady_.get());
  ::WaitForSingleObject(thread_.get(), INFINITE);
}

bool Win32BackgroundWork::startThread() {
  taskReady_.reset(::CreateEventA(nullptr, FALSE, FALSE, nullptr));
  taskDone_.reset(::CreateEventA(nullptr, FALSE, FALSE, nullptr));
  if (taskReady_ && taskDone_) thread_.reset(::CreateThread(nullptr, 64 * 1024, &runTasks, this, 0, nullptr));
  return static_cast<bool>(thread_);
}

void Win32BackgroundWork::post(std::function<void()> task) {
  finish();
  if (!thread_ && !startThread()) {
    task();
    return;
  }
  task_ = std::move(task);
  busy_ = true;
  ::SetEvent(taskReady_.get());
}

void Win32BackgroundWork::finish() {
  if (!busy_) return;
  ::WaitForSingleObject(taskDone_.get(), INFINITE);
  busy_ = false;
}

DWORD WINAPI Win32BackgroundWork::runTasks(void* self) {
  auto& work = *static_cast<Win32BackgroundWork*>(self);
  for (;;) {
    ::WaitForSingleObject(work.taskReady_.get(), INFINITE);
    if (work.stopping_) return 0;
    work.task_();
    ::SetEvent(work.taskDone_.get());
  }
}

}  // namespace saverkit::win32
