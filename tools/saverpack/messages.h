// Wording shared by every command: counts with the right plural, the reason a name is refused
// (an author needs to know which Windows rule a name breaks, not only that it breaks one),
// and the system's own words for a failed file operation.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace saverpack {

// "1 error", "2 errors", "0 items".
std::string plural(std::int64_t count, std::string_view noun);

// Why Windows would not take `name` as one file name, or empty when it would (the same rules
// as saverkit::isSafeBareName). The reason starts with the quoted name: "\"CON\" is ...".
std::string unsafeNameReason(std::string_view name);

// The same for a relative path: the first component that breaks a rule, and why.
std::string unsafePathReason(std::string_view path);

// For a name Windows accepts but stores shortened ("Aquarium Inc." is stored as
// "Aquarium Inc"): a note saying what is dropped and what the name becomes; empty otherwise.
// For a path, each component is looked at.
std::string droppedEndingNote(std::string_view name);

// The system's words for an errno value, with no trailing full stop.
std::string systemErrorText(int errorNumber);

}  // namespace saverpack
