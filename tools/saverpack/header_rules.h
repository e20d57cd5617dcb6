// The rules a package header must follow for the installer to do the right thing with it:
// names that stay in their folders, destinations the installer knows, every slot in the
// folder its role needs, options backed by the slots they show. The builder applies them
// strictly before writing; the verifier applies them to packages from anywhere.
#pragma once

#include <string>

#include "findings.h"
#include "package/package_format.h"

namespace saverpack {

enum class RuleMode {
  kBuild,   // refuse anything the installer would ignore or treat surprisingly
  kVerify,  // refuse only what would fail or misbehave; note the rest as warnings
};

// Whether the installer looks for the Flash Player, and why, in a few words for listings.
std::string flashPlayerText(const saverkit::PackageHeader& header);

// Checks the header's fields and slot names and destinations; bytes are checked elsewhere.
Findings checkHeaderRules(const saverkit::PackageHeader& header, RuleMode mode);

// Where a slot's field is named in messages: "slots.6.name".
std::string slotField(std::size_t slot, const char* field);

// Whether the text is printable ASCII: the installer reads names in the system's single-byte
// code page, so anything else would arrive as different characters.
bool isPrintableAscii(const std::string& text);

// "x" in quotes with control characters escaped, for messages.
std::string quoteText(const std::string& text);

}  // namespace saverpack
