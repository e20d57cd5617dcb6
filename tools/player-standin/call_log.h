// The record tests read: one line per call a host makes on the control, in the order made,
// appended to the file named by SAVERKIT_STANDIN_LOG. Without that variable nothing is written.
#pragma once

#include <string>

namespace standin {

void logLine(const std::string& line);
std::string narrow(const std::wstring& text);  // UTF-8, for log lines and painting helpers

}  // namespace standin
