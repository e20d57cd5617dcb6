// Message wording; see the header.
#include "messages.h"

#include <cstring>
#include <vector>

#include "common/file_names.h"
#include "common/text_helpers.h"
#include "header_rules.h"

namespace saverpack {
namespace {

std::vector<std::string_view> pathComponents(std::string_view path) {
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= path.size(); ++i) {
    if (i == path.size() || path[i] == '\\' || path[i] == '/') {
      parts.push_back(path.substr(start, i - start));
      start = i + 1;
    }
  }
  return parts;
}

bool isReservedDevice(const std::string& stored) {
  const std::string stem = saverkit::storedFileName(saverkit::toLowerAscii(stored.substr(0, stored.find('.'))));
  for (const char* device : {"con", "prn", "aux", "nul", "conin$", "conout$"}) {
    if (stem == device) return true;
  }
  return stem.size() == 4 && (saverkit::startsWith(stem, "com") || saverkit::startsWith(stem, "lpt")) &&
         stem[3] >= '1' && stem[3] <= '9';
}

}  // namespace

std::string plural(std::int64_t count, std::string_view noun) {
  std::string text = std::to_string(count) + " " + std::string(noun);
  if (count == 1 || noun.empty()) return text;
  if (noun.back() == 'y') return text.substr(0, text.size() - 1) + "ies";
  return text + "s";
}

std::string unsafeNameReason(std::string_view name) {
  if (saverkit::isSafeBareName(name)) return {};
  const std::string quoted = quoteText(std::string(name));
  const std::string stored = saverkit::storedFileName(name);
  if (name.empty()) return "the name is empty";
  if (name.size() > saverkit::kMaxEntryNameLength) return quoted + " is longer than 255 characters";
  if (stored == "." || stored == "..") return quoted + " names a folder (\".\" or \"..\"), not a file";
  if (stored.back() == '.' || stored.back() == ' ') {
    return quoted + " has nothing but full stops and spaces, which Windows drops from the end of a name";
  }
  for (const char c : stored) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20) return quoted + " contains a control character, which Windows does not allow in a name";
    if (std::strchr("<>:\"/\\|?*", c) != nullptr) {
      return quoted + " contains \"" + std::string(1, c) +
             "\"; Windows allows none of < > : \" / \\ | ? * in a file name";
    }
  }
  if (isReservedDevice(stored)) {
    return quoted + " is a reserved device name on Windows (CON, PRN, AUX, NUL, COM1-COM9 and LPT1-LPT9 " +
           "are devices with any extension)";
  }
  return quoted + " is not a valid Windows file name";
}

std::string unsafePathReason(std::string_view path) {
  if (saverkit::isSafeRelativePath(path)) return {};
  if (path.empty()) return "the path is empty";
  if (path.size() >= 2 && path[1] == ':') return quoteText(std::string(path)) + " names a drive; it must be relative";
  if (path.front() == '\\' || path.front() == '/') {
    return quoteText(std::string(path)) + " starts at the root; it must be relative";
  }
  for (const std::string_view part : pathComponents(path)) {
    if (part.empty()) return quoteText(std::string(path)) + " has an empty folder name (two separators in a row)";
    const std::string reason = unsafeNameReason(part);
    if (reason.empty()) continue;
    return part.size() == path.size() ? reason : "in " + quoteText(std::string(path)) + ": " + reason;
  }
  return quoteText(std::string(path)) + " is not a valid Windows path";
}

std::string droppedEndingNote(std::string_view name) {
  std::string stored;
  char droppedChar = 0;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= name.size(); ++i) {
    if (i < name.size() && name[i] != '\\' && name[i] != '/') continue;
    const std::string_view part = name.substr(start, i - start);
    const std::string kept = saverkit::storedFileName(part);
    if (kept.size() != part.size() && droppedChar == 0) droppedChar = part.back();
    stored += kept;
    if (i < name.size()) stored += name[i];
    start = i + 1;
  }
  if (droppedChar == 0) return {};
  return quoteText(std::string(name)) + " ends in " + (droppedChar == '.' ? "a full stop" : "a space") +
         ", which Windows drops: it is stored as " + quoteText(stored);
}

std::string systemErrorText(int errorNumber) {
  std::string text = std::strerror(errorNumber);
  while (!text.empty() && (text.back() == '.' || text.back() == ' ' || text.back() == '\n')) text.pop_back();
  return text;
}

}  // namespace saverpack
