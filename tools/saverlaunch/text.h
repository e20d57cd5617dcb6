// Text conversions between the encodings the launcher meets: UTF-16 from its own command line,
// the ANSI code page from the installer's messages, UTF-8 for everything it writes.
#pragma once

#include <string>

#include <windows.h>

namespace saverlaunch {

std::string toUtf8(const std::wstring& text);
std::wstring fromUtf8(const std::string& text);
// The installer's commands are bytes in the system's ANSI code page.
std::wstring fromAnsi(const std::string& bytes);

// A JSON string literal, quotes included.
std::string jsonString(const std::string& utf8);

// One argument for a Windows command line, read back unchanged by the usual argument splitter
// (CommandLineToArgvW and the C runtime): quoted when it has blanks or quotes, with the
// backslashes before a quote doubled.
std::wstring quoteArgument(const std::wstring& argument);

// "2024-05-01T12:34:56.789", local time.
std::string timestamp(const SYSTEMTIME& when);

// The system's description of an error code, without the trailing line break.
std::string systemMessage(DWORD error);

}  // namespace saverlaunch
