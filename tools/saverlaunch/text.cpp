// Text conversions; see the header.
#include "text.h"

#include <cstdio>
#include <vector>

namespace saverlaunch {

namespace {

std::wstring toWide(UINT codePage, const std::string& bytes) {
  if (bytes.empty()) return std::wstring();
  const int size = static_cast<int>(bytes.size());
  const int length = MultiByteToWideChar(codePage, 0, bytes.data(), size, nullptr, 0);
  if (length <= 0) return std::wstring();
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(codePage, 0, bytes.data(), size, &wide[0], length);
  return wide;
}

}  // namespace

std::string toUtf8(const std::wstring& text) {
  if (text.empty()) return std::string();
  const int size = static_cast<int>(text.size());
  const int length = WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
  if (length <= 0) return std::string();
  std::string utf8(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), size, &utf8[0], length, nullptr, nullptr);
  return utf8;
}

std::wstring fromUtf8(const std::string& text) { return toWide(CP_UTF8, text); }
std::wstring fromAnsi(const std::string& bytes) { return toWide(CP_ACP, bytes); }

std::string jsonString(const std::string& utf8) {
  std::string out = "\"";
  for (const char c : utf8) {
    const auto byte = static_cast<unsigned char>(c);
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (byte < 0x20 || byte == 0x7F) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
          out += escaped;
        } else {
          out += c;
        }
    }
  }
  return out + "\"";
}

std::wstring quoteArgument(const std::wstring& argument) {
  if (!argument.empty() && argument.find_first_of(L" \t\n\v\"") == std::wstring::npos) return argument;
  std::wstring quoted = L"\"";
  std::size_t backslashes = 0;
  for (const wchar_t c : argument) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    // Backslashes only escape when a quote follows them; then each needs a twin, and the
    // quote its own backslash.
    const std::size_t copies = c == L'"' ? backslashes * 2 + 1 : backslashes;
    quoted.append(copies, L'\\');
    quoted += c;
    backslashes = 0;
  }
  // The closing quote follows: trailing backslashes must not escape it.
  quoted.append(backslashes * 2, L'\\');
  return quoted + L"\"";
}

std::string timestamp(const SYSTEMTIME& when) {
  char text[32];
  std::snprintf(text, sizeof text, "%04u-%02u-%02uT%02u:%02u:%02u.%03u", when.wYear, when.wMonth,
                when.wDay, when.wHour, when.wMinute, when.wSecond, when.wMilliseconds);
  return text;
}

std::string systemMessage(DWORD error) {
  wchar_t* buffer = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::wstring text = length > 0 && buffer ? std::wstring(buffer, length) : std::wstring();
  if (buffer) LocalFree(buffer);
  while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L'.' ||
                           text.back() == L' ')) {
    text.pop_back();
  }
  // Messages written for the shell name the file as "%1"; there is no file to put in here.
  for (std::size_t at = text.find(L"%1"); at != std::wstring::npos; at = text.find(L"%1", at)) {
    text.replace(at, 2, L"the program");
  }
  std::string result = "error " + std::to_string(error);
  return text.empty() ? result : result + ": " + toUtf8(text);
}

}  // namespace saverlaunch
