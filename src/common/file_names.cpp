// Name checks; see the header.
#include "common/file_names.h"

#include <vector>

#include "common/text_helpers.h"

namespace saverkit {
namespace {

bool isReservedDeviceName(std::string_view name) {
  // The device names are reserved with any extension: "nul.txt" is the device too.
  const std::string stem = storedFileName(toLowerAscii(name.substr(0, name.find('.'))));
  static const char* const kReserved[] = {"con", "prn", "aux", "nul", "conin$", "conout$"};
  for (const char* reserved : kReserved) {
    if (stem == reserved) return true;
  }
  if (stem.size() == 4 && (startsWith(stem, "com") || startsWith(stem, "lpt")) && stem[3] >= '1' &&
      stem[3] <= '9') {
    return true;
  }
  return false;
}

bool isSeparator(char c) { return c == '\\' || c == '/'; }

// The components of a path, split at separators that are characters of their own (never the
// second byte of a double-byte character).
std::vector<std::string_view> components(std::string_view path, const CodePage& codePage) {
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  for (std::size_t i = 0; i < path.size(); ++i) {
    if (codePage.isLeadByte(static_cast<unsigned char>(path[i])) && i + 1 < path.size()) {
      ++i;
    } else if (isSeparator(path[i])) {
      parts.push_back(path.substr(start, i - start));
      start = i + 1;
    }
  }
  parts.push_back(path.substr(start));
  return parts;
}

}  // namespace

std::string storedFileName(std::string_view name) {
  std::size_t end = name.size();
  while (end > 0 && (name[end - 1] == ' ' || name[end - 1] == '.')) --end;
  return std::string(end == 0 ? name : name.substr(0, end));
}

bool isSafeBareName(std::string_view name, const CodePage& codePage) {
  const std::string stored = storedFileName(name);
  if (stored.empty() || name.size() > 255) return false;
  if (stored == "." || stored == ".." || stored.back() == '.' || stored.back() == ' ') return false;
  for (std::size_t i = 0; i < stored.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(stored[i]);
    if (codePage.isLeadByte(c)) {
      // A lead byte needs its second byte; on its own at the end it is no character.
      if (i + 1 >= stored.size() || stored[i + 1] == '\0') return false;
      ++i;
      continue;
    }
    if (c < 32) return false;
    if (std::string_view("<>:\"/\\|?*").find(static_cast<char>(c)) != std::string_view::npos) return false;
  }
  return !isReservedDeviceName(stored);
}

bool isSafeRelativePath(std::string_view path, const CodePage& codePage) {
  if (path.empty()) return false;
  for (const std::string_view component : components(path, codePage)) {
    if (!isSafeBareName(component, codePage)) return false;
  }
  return true;
}

std::vector<std::string> pathComponents(std::string_view path) {
  std::vector<std::string> parts;
  std::string part;
  for (const char c : path) {
    if (c != '\\' && c != '/') {
      part += c;
    } else if (!part.empty()) {
      parts.push_back(std::move(part));
      part.clear();
    }
  }
  if (!part.empty()) parts.push_back(std::move(part));
  return parts;
}

}  // namespace saverkit
