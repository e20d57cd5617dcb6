// The installer's four dialog kinds and the default error report, as standard Windows message
// boxes. The standard box has no lone "&Abort" button, so the error box is an OK box whose
// button is renamed the moment the box is activated.
#pragma once

#include <string>

#include "platform/platform_types.h"
#include "platform/text_source.h"
#include "platform/win32/windows_api.h"

namespace saverkit::win32 {

bool showMessageDialog(HWND owner, const TextSource& texts, DialogKind kind,
                       const std::string& text);
void showErrorReportBox(HWND owner, const std::string& caption, const std::string& text);

}  // namespace saverkit::win32
