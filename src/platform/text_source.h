// Where the words shown to the user come from: the executable's string table on Windows (the
// built-in table elsewhere) and the system's own message text for an error code.
#pragma once

#include <string>

#include "common/texts.h"

namespace saverkit {

class TextSource {
 public:
  virtual ~TextSource() = default;
  virtual std::string text(TextId id) const = 0;
  // The system's words for an operating-system error code, with trailing blanks, line breaks
  // and full stops removed; empty when the system has none (as for the installer's own codes).
  virtual std::string systemErrorText(int code) const = 0;
  // A text of the ANSI code page in UTF-8, for the administrator's log.
  virtual std::string toUtf8(const std::string& ansi) const = 0;
};

}  // namespace saverkit
