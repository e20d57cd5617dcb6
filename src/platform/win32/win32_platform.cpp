// The Win32 platform; see the header.
#include "platform/win32/win32_platform.h"

#include <vector>

#include "common/command_line.h"
#include "platform/win32/windows_api.h"

namespace saverkit::win32 {
namespace {

HWND toWindow(WindowHandle handle) {
  return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(handle));
}

WindowHandle fromWindow(HWND window) {
  return static_cast<WindowHandle>(reinterpret_cast<std::uintptr_t>(window));
}

}  // namespace

std::string Win32TextSource::text(TextId id) const {
  char buffer[1024];
  const int length =
      ::LoadStringA(::GetModuleHandleA(nullptr), static_cast<UINT>(id), buffer, sizeof buffer);
  if (length <= 0) return builtInText(id);
  return std::string(buffer, static_cast<std::size_t>(length));
}

std::string Win32TextSource::toUtf8(const std::string& ansi) const {
  if (ansi.empty()) return {};
  const int size = static_cast<int>(ansi.size());
  const int wide = ::MultiByteToWideChar(CP_ACP, 0, ansi.data(), size, nullptr, 0);
  std::vector<wchar_t> characters(static_cast<std::size_t>(wide));
  ::MultiByteToWideChar(CP_ACP, 0, ansi.data(), size, characters.data(), wide);
  const int length = ::WideCharToMultiByte(CP_UTF8, 0, characters.data(), wide, nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(length), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, characters.data(), wide, utf8.data(), length, nullptr, nullptr);
  return utf8;
}

std::string Win32TextSource::systemErrorText(int code) const {
  char* buffer = nullptr;
  const DWORD length = ::FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<char*>(&buffer), 0, nullptr);
  std::string text = length > 0 && buffer ? std::string(buffer, length) : std::string();
  if (buffer) ::LocalFree(buffer);
  while (!text.empty() && (static_cast<unsigned char>(text.back()) <= ' ' || text.back() == '.')) {
    text.pop_back();
  }
  return text;
}

bool Win32WindowMessaging::sendCopyData(WindowHandle target, WindowHandle sender,
                                        std::uint32_t tag, const std::string& data) {
  HWND window = toWindow(target);
  if (!::IsWindow(window)) return false;
  std::vector<char> bytes(data.begin(), data.end());
  COPYDATASTRUCT block{};
  block.dwData = tag;
  block.cbData = static_cast<DWORD>(bytes.size());
  block.lpData = bytes.empty() ? nullptr : bytes.data();
  ::SendMessageA(window, WM_COPYDATA, reinterpret_cast<WPARAM>(toWindow(sender)),
                 reinterpret_cast<LPARAM>(&block));
  return true;
}

bool Win32WindowMessaging::postMessage(WindowHandle target, std::uint32_t message,
                                       std::uint32_t wParam, std::uint32_t lParam) {
  return ::PostMessageA(toWindow(target), message, wParam, static_cast<LPARAM>(lParam)) != 0;
}

WindowHandle Win32WindowMessaging::findTopLevelWindow(const std::string& title) {
  return fromWindow(::FindWindowA(nullptr, title.c_str()));
}

void Win32WindowMessaging::clickDialogControl(WindowHandle dialog, int controlId) {
  ::SendDlgItemMessageA(toWindow(dialog), controlId, BM_CLICK, 0, 0);
}

void Win32Clock::sleepMilliseconds(std::uint32_t milliseconds) { ::Sleep(milliseconds); }

// The performance counter, not the tick count: the tick count moves in 16 ms steps.
std::uint64_t Win32Clock::nowMilliseconds() const {
  LARGE_INTEGER frequency, counter;
  ::QueryPerformanceFrequency(&frequency);
  ::QueryPerformanceCounter(&counter);
  return static_cast<std::uint64_t>(counter.QuadPart) * 1000u /
         static_cast<std::uint64_t>(frequency.QuadPart);
}

std::vector<std::string> Win32ProcessEnvironment::commandLineParameters() const {
  std::vector<std::string> parameters = splitCommandLine(::GetCommandLineA());
  if (!parameters.empty()) parameters.erase(parameters.begin());
  return parameters;
}

std::string Win32ProcessEnvironment::modulePath() const {
  std::vector<char> buffer(MAX_PATH);
  while (true) {
    const DWORD length = ::GetModuleFileNameA(nullptr, buffer.data(),
                                              static_cast<DWORD>(buffer.size()));
    if (length < buffer.size()) return std::string(buffer.data(), length);
    buffer.resize(buffer.size() * 2);
  }
}

std::optional<std::string> Win32ProcessEnvironment::environmentVariable(
    const std::string& name) const {
  const DWORD needed = ::GetEnvironmentVariableA(name.c_str(), nullptr, 0);
  if (needed == 0) return std::nullopt;
  std::vector<char> buffer(needed);
  const DWORD length = ::GetEnvironmentVariableA(name.c_str(), buffer.data(), needed);
  return std::string(buffer.data(), length);
}

}  // namespace saverkit::win32
