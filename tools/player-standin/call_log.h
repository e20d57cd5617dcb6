// The record tests read: one line per call a host makes on the control, in the order made,
// appended to the file named by SAVERKIT_STANDIN_LOG. Without that variable nothing is written,
// and nothing through a link: a name that leads elsewhere gets no log.
#pragma once

#include <string>

namespace standin {

void logLine(const std::string& line);
std::string narrow(const std::wstring& text);  // UTF-8, for log lines and painting helpers

}  // namespace standin
