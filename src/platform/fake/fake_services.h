// In-memory fakes of the platform's smaller interfaces for native tests: the string table, the
// clock, the process's command line and environment, and window messages. Each records what the
// core asked of it, so tests assert on exact texts and orders.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/background_work.h"
#include "platform/clock.h"
#include "platform/process_environment.h"
#include "platform/text_source.h"
#include "platform/window_messaging.h"

namespace saverkit::fake {

class FakeTextSource : public TextSource {
 public:
  std::string text(TextId id) const override;
  std::string systemErrorText(int code) const override;
  // The fake's code page is Latin-1.
  std::string toUtf8(const std::string& ansi) const override;
  // A translated string table: these words replace the built-in ones.
  std::map<TextId, std::string> translations;
  std::map<int, std::string> systemTexts;
};

class FakeClock : public Clock {
 public:
  void sleepMilliseconds(std::uint32_t milliseconds) override;
  std::uint64_t nowMilliseconds() const override { return now; }
  std::uint64_t now = 0;
  std::uint64_t sleeps = 0;
};

// Runs each task as late as the contract allows: at the next post() or finish(). A caller that
// touches a task's bytes before then sees its result come out wrong.
class FakeBackgroundWork : public BackgroundWork {
 public:
  void post(std::function<void()> task) override {
    finish();
    pending_ = std::move(task);
    ++posted;
  }
  void finish() override {
    if (pending_) std::exchange(pending_, nullptr)();
  }
  int posted = 0;

 private:
  std::function<void()> pending_;
};

class FakeProcessEnvironment : public ProcessEnvironment {
 public:
  std::vector<std::string> commandLineParameters() const override { return parameters; }
  std::string modulePath() const override { return path; }
  std::optional<std::string> environmentVariable(const std::string& name) const override;
  std::vector<std::string> parameters;
  std::string path = "C:\\Downloads\\Ocean Installer.exe";
  std::map<std::string, std::string> environment;
};

struct CopyDataRecord {
  WindowHandle target;
  WindowHandle sender;
  std::uint32_t tag;
  std::string data;
};

struct PostedMessage {
  WindowHandle target;
  std::uint32_t message;
  std::uint32_t wParam;
  std::uint32_t lParam;
};

class FakeWindowMessaging : public WindowMessaging {
 public:
  bool sendCopyData(WindowHandle target, WindowHandle sender, std::uint32_t tag,
                    const std::string& data) override;
  bool postMessage(WindowHandle target, std::uint32_t message, std::uint32_t wParam,
                   std::uint32_t lParam) override;
  WindowHandle findTopLevelWindow(const std::string& title) override;
  void clickDialogControl(WindowHandle dialog, int controlId) override;

  // Windows that exist; messages to any other handle fail without effect.
  std::map<WindowHandle, std::string> windows;
  std::vector<CopyDataRecord> sent;
  std::vector<PostedMessage> posted;
  std::vector<std::pair<WindowHandle, int>> clicks;
  // Everything in order, as "copydata <target> <text>" / "post <target> <message>" lines.
  std::vector<std::string> log;
};

}  // namespace saverkit::fake
