// Name checks; see the header.
#include "common/file_names.h"

#include "common/text_helpers.h"

namespace saverkit {
namespace {

bool isReservedDeviceName(std::string_view name) {
  // The device names are reserved with any extension: "nul.txt" is the device too.
  const std::string stem = toLowerAscii(name.substr(0, name.find('.')));
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

}  // namespace

bool isSafeBareName(std::string_view name) {
  if (name.empty() || name.size() > 255) return false;
  if (name == "." || name == "..") return false;
  for (const char c : name) {
    if (static_cast<unsigned char>(c) < 32) return false;
    if (std::string_view("<>:\"/\\|?*").find(c) != std::string_view::npos) return false;
  }
  // Windows drops trailing spaces and full stops, so "a." and "a" would be the same file.
  if (name.back() == ' ' || name.back() == '.') return false;
  return !isReservedDeviceName(name);
}

bool isSafeRelativePath(std::string_view path) {
  if (path.empty()) return false;
  std::size_t start = 0;
  while (true) {
    const std::size_t separator = path.find_first_of("\\/", start);
    const std::string_view component =
        path.substr(start, separator == std::string_view::npos ? std::string_view::npos
                                                               : separator - start);
    if (!isSafeBareName(component)) return false;
    if (separator == std::string_view::npos) return true;
    start = separator + 1;
  }
}

}  // namespace saverkit
