// The fakes of the process's surroundings; see the header.
#include "platform/fake/fake_services.h"

#include "common/text_helpers.h"

namespace saverkit::fake {

std::string FakeTextSource::text(TextId id) const {
  const auto found = translations.find(id);
  return found != translations.end() ? found->second : builtInText(id);
}

std::string FakeTextSource::toUtf8(const std::string& ansi) const {
  std::string utf8;
  for (const char c : ansi) {
    const unsigned char byte = static_cast<unsigned char>(c);
    if (byte < 0x80) {
      utf8 += c;
    } else {
      utf8 += static_cast<char>(0xC0 | (byte >> 6));
      utf8 += static_cast<char>(0x80 | (byte & 0x3F));
    }
  }
  return utf8;
}

std::string FakeTextSource::systemErrorText(int code) const {
  const auto found = systemTexts.find(code);
  return found != systemTexts.end() ? found->second : std::string();
}

void FakeClock::sleepMilliseconds(std::uint32_t milliseconds) {
  now += milliseconds;
  ++sleeps;
}

std::optional<std::string> FakeProcessEnvironment::environmentVariable(
    const std::string& name) const {
  const auto found = environment.find(name);
  if (found == environment.end()) return std::nullopt;
  return found->second;
}

bool FakeWindowMessaging::sendCopyData(WindowHandle target, WindowHandle sender,
                                       std::uint32_t tag, const std::string& data) {
  if (windows.count(target) == 0) return false;
  sent.push_back({target, sender, tag, data});
  log.push_back("copydata " + std::to_string(target) + " " + data);
  return true;
}

bool FakeWindowMessaging::postMessage(WindowHandle target, std::uint32_t message,
                                      std::uint32_t wParam, std::uint32_t lParam) {
  if (windows.count(target) == 0) return false;
  posted.push_back({target, message, wParam, lParam});
  log.push_back("post " + std::to_string(target) + " " + std::to_string(message));
  return true;
}

WindowHandle FakeWindowMessaging::findTopLevelWindow(const std::string& title) {
  for (const auto& [handle, windowTitle] : windows) {
    if (toLowerAscii(windowTitle) == toLowerAscii(title)) return handle;
  }
  return kNoWindow;
}

void FakeWindowMessaging::clickDialogControl(WindowHandle dialog, int controlId) {
  clicks.emplace_back(dialog, controlId);
  log.push_back("click " + std::to_string(dialog) + " " + std::to_string(controlId));
}

}  // namespace saverkit::fake
