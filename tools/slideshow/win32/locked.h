// Holds a critical section for a scope: the engine's threads hand work to each other under one.
#pragma once

#include "platform/win32/windows_api.h"

namespace saverkit::slideshow::win32 {

class Locked {
 public:
  explicit Locked(CRITICAL_SECTION& section) : section_(section) { ::EnterCriticalSection(&section_); }
  ~Locked() { ::LeaveCriticalSection(&section_); }
  Locked(const Locked&) = delete;
  Locked& operator=(const Locked&) = delete;

 private:
  CRITICAL_SECTION& section_;
};

}  // namespace saverkit::slideshow::win32
