// The engine's worker threads (the slide thread and the motion thread) and what each shares with
// the window's thread: a lock, an event that wakes the worker, and the word to stop.
#pragma once

#include "platform/win32/windows_api.h"

namespace saverkit::slideshow::win32 {

// Holds a critical section for a scope.
class Locked {
 public:
  explicit Locked(CRITICAL_SECTION& section) : section_(section) { ::EnterCriticalSection(&section_); }
  ~Locked() { ::LeaveCriticalSection(&section_); }
  Locked(const Locked&) = delete;
  Locked& operator=(const Locked&) = delete;

 private:
  CRITICAL_SECTION& section_;
};

struct WorkerShared {
  WorkerShared() { ::InitializeCriticalSection(&lock); }
  ~WorkerShared() {
    ::DeleteCriticalSection(&lock);
    if (wake) ::CloseHandle(wake);
  }
  WorkerShared(const WorkerShared&) = delete;
  WorkerShared& operator=(const WorkerShared&) = delete;

  CRITICAL_SECTION lock;
  HANDLE wake = ::CreateEventA(nullptr, FALSE, FALSE, nullptr);
  bool stopping = false;  // guarded by `lock`
};

// Runs State::work() (State derives from WorkerShared) on a thread of its own, from construction.
// The thread is never waited for long: one still inside a decoder when the show ends keeps its
// state to the process's end, which comes at once.
template <typename State>
class WorkerThread {
 public:
  explicit WorkerThread(State* state) : state_(state) {
    if (state_->wake) thread_ = ::CreateThread(nullptr, 0, run, state_, 0, nullptr);
  }
  ~WorkerThread() {
    if (!stop()) return;  // left to the process's end: the thread still uses its state
    if (thread_) ::CloseHandle(thread_);
    delete state_;
  }
  WorkerThread(const WorkerThread&) = delete;
  WorkerThread& operator=(const WorkerThread&) = delete;

  bool started() const { return thread_ != nullptr; }
  State& state() const { return *state_; }
  void wake() const { ::SetEvent(state_->wake); }
  // Asks the thread to end; true when it has.
  bool stop() {
    if (!thread_) return true;
    {
      Locked held(state_->lock);
      state_->stopping = true;
    }
    wake();
    return ::WaitForSingleObject(thread_, 50) == WAIT_OBJECT_0;
  }

 private:
  static DWORD WINAPI run(void* parameter) {
    static_cast<State*>(parameter)->work();
    return 0;
  }

  State* state_;
  HANDLE thread_ = nullptr;
};

}  // namespace saverkit::slideshow::win32
