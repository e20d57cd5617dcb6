// Identifiers of the texts shown to the user, and their built-in words. On Windows the words are
// loaded from the executable's string table (so a translated table takes effect); elsewhere, and
// when a string is missing from the table, the built-in words below are used.
#pragma once

#include <string>

#include "common/text_table.inc"

namespace saverkit {

enum class TextId : unsigned {
#define SAVERKIT_TEXT_ENUM(name, id, words) k##name = id,
  SAVERKIT_TEXT_MAP(SAVERKIT_TEXT_ENUM)
#undef SAVERKIT_TEXT_ENUM
};

// The built-in words of a text; empty for an unknown id.
const char* builtInText(TextId id);

// Texts that the installer shows as literals rather than from the string table.
namespace literal {
inline constexpr const char* kPreparingInstallation = "Preparing installation...";
inline constexpr const char* kInstallationCancelled = "Installation Cancelled";
inline constexpr const char* kCorruptFile = "CorruptFile: ";
}  // namespace literal

}  // namespace saverkit
