// The words of the installer's failure dialogs: the "Installation Error: " box of a failed file
// operation, the message that ends a failed startup, and the application's default error report.
#pragma once

#include <optional>
#include <string>

#include "common/status.h"
#include "platform/platform_types.h"
#include "platform/text_source.h"

namespace saverkit {

// The text `showInstallError` shows for a failed step: by code 5, -523, -38 or any other.
std::string installErrorText(const TextSource& texts, Status code, const std::string& detail);

struct DialogMessage {
  DialogKind kind;
  std::string text;
};

// The message that ends a startup that failed with `code`; nothing for -454 (the user's own
// choice) and for 0.
std::optional<DialogMessage> startupFailureMessage(const TextSource& texts, Status code);

// The application's default error report appends a full stop when the text's last character
// sorts above "." (so "...value" gains one and "done." or "(x)" do not).
std::string errorReportText(const std::string& errorText);

}  // namespace saverkit
