// Paths and names as the wide-character calls take them: the engine's texts are in the system's
// ANSI code page, as Windows gives them to it.
#pragma once

#include <string>

#include "platform/win32/windows_api.h"

namespace saverkit::slideshow::win32 {

// Empty for an empty text or one that does not convert.
inline std::wstring wideText(const std::string& text) {
  const int length = ::MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
  if (length <= 1) return {};
  std::wstring result(static_cast<std::size_t>(length), L'\0');
  ::MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, result.data(), length);
  result.resize(static_cast<std::size_t>(length - 1));
  return result;
}

}  // namespace saverkit::slideshow::win32
