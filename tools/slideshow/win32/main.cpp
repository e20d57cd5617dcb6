// slideshow.scr: the reference screen saver engine. It reads which saver it is from its own file
// name and does what the command line asks: the show (/s), the preview (/p), the settings (/c or
// nothing) or the saver's removal (/u).
#include <cstdlib>
#include <string>

#include "resume_point.h"
#include "platform/win32/system_library.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_platform.h"
#include "platform/win32/win32_system.h"
#include "saver_command.h"
#include "saver_places.h"
#include "saver_settings.h"
#include "saver_texts.h"
#include "settings_dialog.h"
#include "show_window.h"
#include "uninstall_flow.h"

// A failure that ends in std::terminate ends the engine at once. libstdc++'s own handler would
// first print the exception's name for a console no windowed program has, and it brings in a
// 40 KB demangler to do it: the engine has a size to keep.
namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx

// The same for the library's own errors (a length beyond a container's reach, an index out of
// range): nothing in the engine catches them, and the library's versions carry the exception
// classes' old string type with them, 45 KB that the engine's videos need more.
namespace std {
[[noreturn]] void __throw_bad_cast() { std::abort(); }
[[noreturn]] void __throw_bad_alloc() { std::abort(); }
[[noreturn]] void __throw_bad_typeid() { std::abort(); }
[[noreturn]] void __throw_bad_exception() { std::abort(); }
[[noreturn]] void __throw_bad_array_new_length() { std::abort(); }
[[noreturn]] void __throw_logic_error(const char*) { std::abort(); }
[[noreturn]] void __throw_range_error(const char*) { std::abort(); }
[[noreturn]] void __throw_domain_error(const char*) { std::abort(); }
[[noreturn]] void __throw_length_error(const char*) { std::abort(); }
[[noreturn]] void __throw_out_of_range(const char*) { std::abort(); }
[[noreturn]] void __throw_runtime_error(const char*) { std::abort(); }
[[noreturn]] void __throw_overflow_error(const char*) { std::abort(); }
[[noreturn]] void __throw_underflow_error(const char*) { std::abort(); }
[[noreturn]] void __throw_invalid_argument(const char*) { std::abort(); }
[[noreturn]] void __throw_out_of_range_fmt(const char*, ...) { std::abort(); }
}  // namespace std

namespace {

using namespace saverkit;
using namespace saverkit::slideshow;

// The module's path in its long form: an old system may start a saver by its 8.3 name, and the
// saver's name is read from this path.
std::string longModulePath() {
  char path[MAX_PATH] = {};
  const DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return {};
  // Windows 95 has no GetLongPathNameA: looked up, not imported, so the engine still starts.
  using GetLongPath = DWORD(WINAPI*)(LPCSTR, LPSTR, DWORD);
  const auto getLongPath = reinterpret_cast<GetLongPath>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "GetLongPathNameA")));
  char longPath[MAX_PATH] = {};
  if (getLongPath) {
    const DWORD longLength = getLongPath(path, longPath, MAX_PATH);
    if (longLength > 0 && longLength < MAX_PATH) return longPath;
  }
  return path;
}

HWND windowOf(WindowHandle handle) { return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(handle)); }

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  saverkit::win32::restrictLibrarySearchToSystemFolder();
  saverkit::win32::Win32ProcessEnvironment process;
  saverkit::win32::Win32SystemInfo system;
  saverkit::win32::Win32FileSystem files;
  saverkit::win32::Win32Registry registry;
  const std::string modulePath = longModulePath();
  const SaverPlaces places = findSaverPlaces(system, modulePath);
  const SaverCommand command = parseSaverCommand(process.commandLineParameters());

  switch (command.mode) {
    case SaverMode::kShow:
    case SaverMode::kPreview: {
      slideshow::win32::ShowRequest request;
      request.previewParent = command.mode == SaverMode::kPreview ? windowOf(command.window) : nullptr;
      request.saverName = places.saverName;
      request.productFolder = places.productFolder;
      request.files = &files;
      request.registry = &registry;
      request.settings = loadSettings(registry, places.saverName, authorDefaults(files, places.productFolder));
      request.resume = loadResumePoint(registry, places.saverName);
      return slideshow::win32::runShow(instance, request);
    }
    case SaverMode::kSettings:
      return slideshow::win32::runSettingsDialog(instance, windowOf(command.window), registry, places.saverName,
                                                 authorDefaults(files, places.productFolder));
    case SaverMode::kUninstall:
      return slideshow::win32::runUninstall(files, registry, system, places, command, modulePath);
    case SaverMode::kInvalid:
      break;
  }
  ::MessageBoxA(nullptr, usageText().c_str(), places.saverName.c_str(), MB_OK | MB_ICONINFORMATION);
  return 2;
}
