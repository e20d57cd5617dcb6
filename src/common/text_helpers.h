// Small text helpers shared by every layer: ASCII case folding (the installer compares names
// byte-wise in the single-byte character set), decimal formatting and path pieces.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace saverkit {

std::string toLowerAscii(std::string_view text);
bool startsWith(std::string_view text, std::string_view prefix);
bool endsWith(std::string_view text, std::string_view suffix);

// Decimal digits of a signed 32-bit value ("-31", "0").
std::string decimal(std::int64_t value);

// A signed 32-bit decimal integer with an optional sign and no other characters; nothing when
// the text is not one (empty, stray characters, out of range).
std::optional<std::int32_t> parseDecimalInt32(std::string_view text);

// Every occurrence of `needle` removed, comparing ASCII letters without regard to case.
std::string removeAllIgnoringCase(std::string_view text, std::string_view needle);

// The part after the last "\" or "/" (the whole text when there is none).
std::string fileNameOf(std::string_view path);
// The part up to and including the last "\" or "/" (empty when there is none).
std::string folderOf(std::string_view path);
// The folder with one trailing backslash (appended only when missing).
std::string withTrailingBackslash(std::string_view folder);

}  // namespace saverkit
