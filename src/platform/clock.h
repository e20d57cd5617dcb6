// Waiting. The installer's waits (player polls, retry pauses) go through here so that the fake
// clock can make thousands of them instant in tests.
#pragma once

#include <cstdint>

namespace saverkit {

class Clock {
 public:
  virtual ~Clock() = default;
  virtual void sleepMilliseconds(std::uint32_t milliseconds) = 0;
  virtual std::uint64_t nowMilliseconds() const = 0;
};

}  // namespace saverkit
