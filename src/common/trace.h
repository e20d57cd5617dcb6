// The trace facility. The installer marks its decisions with trace calls; every one of them
// discards what it is given, and no log file is ever written. They stay in the code because the
// trace points document where decisions are made, and a debugging build could route them.
#pragma once

#include <cstdint>
#include <string_view>

namespace saverkit::trace {

inline void message(std::string_view) {}
inline void enter(std::string_view, std::string_view) {}
inline void enter(std::string_view) {}
inline void leave(std::string_view) {}
inline void leave(std::string_view, std::int64_t) {}
inline void mark() {}

}  // namespace saverkit::trace
