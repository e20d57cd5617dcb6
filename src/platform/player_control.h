// The Flash Player control, as far as the installer asks it something without showing a movie:
// a temporary control is created and asked for its "$version" variable.
#pragma once

#include <string>

namespace saverkit {

struct PlayerVersionAnswer {
  enum class Outcome { kNotCreated, kQueryFailed, kAnswered };
  Outcome outcome = Outcome::kNotCreated;
  std::string text;  // the "$version" answer, e.g. "WIN 10,0,45,2"
};

class PlayerControl {
 public:
  virtual ~PlayerControl() = default;
  // Creates a temporary control, asks it, and frees it again.
  virtual PlayerVersionAnswer queryVersion() = 0;
};

}  // namespace saverkit
