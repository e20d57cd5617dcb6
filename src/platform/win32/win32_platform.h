// The Win32 implementations of the platform interfaces (other than the view, which lives with
// the windows in ui/win32).
#pragma once

#include "platform/clock.h"
#include "platform/process_environment.h"
#include "platform/text_source.h"
#include "platform/window_messaging.h"

namespace saverkit::win32 {

// Words from the executable's string table; the built-in words when a string is missing.
class Win32TextSource : public TextSource {
 public:
  std::string text(TextId id) const override;
  std::string systemErrorText(int code) const override;
  std::string toUtf8(const std::string& ansi) const override;
};

class Win32WindowMessaging : public WindowMessaging {
 public:
  bool sendCopyData(WindowHandle target, WindowHandle sender, std::uint32_t tag,
                    const std::string& data) override;
  bool postMessage(WindowHandle target, std::uint32_t message, std::uint32_t wParam,
                   std::uint32_t lParam) override;
  WindowHandle findTopLevelWindow(const std::string& title) override;
  void clickDialogControl(WindowHandle dialog, int controlId) override;
};

class Win32Clock : public Clock {
 public:
  void sleepMilliseconds(std::uint32_t milliseconds) override;
  std::uint64_t nowMilliseconds() const override;
};

class Win32ProcessEnvironment : public ProcessEnvironment {
 public:
  std::vector<std::string> commandLineParameters() const override;
  std::string modulePath() const override;
  std::optional<std::string> environmentVariable(const std::string& name) const override;
};

}  // namespace saverkit::win32
