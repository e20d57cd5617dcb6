// What the screen saver engine costs the people who watch it, measured from outside as Windows
// sees it: a 32-bit Windows program (run under Wine here) that starts the engine full screen and
// reports, one "name value" line each,
//   window MS         until the engine's window exists
//   first-picture MS  until the screen's centre is no longer black
//   key-to-exit MS    from a key sent to the window (--key-after) to the engine's end
//   peak-private-mb N the largest private memory seen, sampled every few milliseconds
//   cpu-percent N     processor time over wall time while it ran (--run)
//   change-interval MS with --changes: the mean time from one picture change's start to the
//                     next one's, as the screen's centre shows them (-1 with fewer than two)
//
//   engine_probe ENGINE [--key-after MS] [--run MS] [--changes 1]
//
// The screen is read only until the first picture, unless changes are watched: reading it under
// Wine costs the engine's process time too.
// --key-after MS sends the key MS after the window appears (default: after --run); --run MS is
// how long the engine runs when no key is sent (default 10000).
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

double now() {
  LARGE_INTEGER frequency, counter;
  ::QueryPerformanceFrequency(&frequency);
  ::QueryPerformanceCounter(&counter);
  return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double processorMilliseconds(HANDLE process) {
  FILETIME created, ended, kernel, user;
  if (!::GetProcessTimes(process, &created, &ended, &kernel, &user)) return 0;
  const auto value = [](const FILETIME& time) {
    return static_cast<double>((static_cast<unsigned long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime);
  };
  return (value(kernel) + value(user)) / 10000.0;
}

COLORREF centreColour() {
  HDC screen = ::GetDC(nullptr);
  const COLORREF colour = ::GetPixel(screen, ::GetSystemMetrics(SM_CXSCREEN) / 2, ::GetSystemMetrics(SM_CYSCREEN) / 2);
  ::ReleaseDC(nullptr, screen);
  return colour == CLR_INVALID ? RGB(0, 0, 0) : colour;
}

bool apart(COLORREF a, COLORREF b) {
  return std::abs(GetRValue(a) - GetRValue(b)) + std::abs(GetGValue(a) - GetGValue(b)) +
             std::abs(GetBValue(a) - GetBValue(b)) > 48;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fputs("usage: engine_probe ENGINE [--key-after MS] [--run MS] [--changes 1]\n", stderr);
    return 2;
  }
  double keyAfter = -1, run = 10000;
  bool watchChanges = false;
  for (int i = 2; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--key-after") == 0) keyAfter = std::atof(argv[i + 1]);
    if (std::strcmp(argv[i], "--run") == 0) run = std::atof(argv[i + 1]);
    if (std::strcmp(argv[i], "--changes") == 0) watchChanges = std::atoi(argv[i + 1]) != 0;
  }
  std::string command = "\"" + std::string(argv[1]) + "\" /s";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  const double start = now();
  if (!::CreateProcessA(argv[1], command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
    std::printf("fail start %lu\n", static_cast<unsigned long>(::GetLastError()));
    return 1;
  }
  HWND window = nullptr;
  double windowAt = -1, pictureAt = -1, keyAt = -1;
  SIZE_T peak = 0;
  // A change starts when the centre leaves the colour it held; it has ended once the centre has
  // held one colour for 150 ms (a fade passes through many).
  COLORREF settled = RGB(0, 0, 0), last = RGB(0, 0, 0);
  double lastMovedAt = 0, firstChange = -1, latestChange = -1;
  int changes = 0;
  bool changing = false;
  for (;;) {
    if (::WaitForSingleObject(process.hProcess, 2) == WAIT_OBJECT_0) break;
    const double t = now() - start;
    PROCESS_MEMORY_COUNTERS memory{};
    if (::GetProcessMemoryInfo(process.hProcess, &memory, sizeof memory) && memory.PagefileUsage > peak) {
      peak = memory.PagefileUsage;
    }
    if (!window && (window = ::FindWindowA("SaverkitSlideshow", nullptr)) != nullptr) windowAt = t;
    const COLORREF colour = window && (pictureAt < 0 || watchChanges) ? centreColour() : last;
    if (window && pictureAt < 0 && colour != RGB(0, 0, 0)) pictureAt = t;
    if (colour != last) lastMovedAt = t;
    last = colour;
    if (pictureAt >= 0 && !changing && apart(colour, settled)) {
      changing = true;
      if (settled != RGB(0, 0, 0)) {
        if (firstChange < 0) firstChange = t;
        latestChange = t;
        ++changes;
      }
    }
    if (changing && t - lastMovedAt >= 150) {
      changing = false;
      settled = colour;
    }
    const double sendAt = keyAfter >= 0 ? windowAt + keyAfter : run;
    if (window && keyAt < 0 && t >= sendAt) {
      keyAt = t;
      ::PostMessageA(window, WM_KEYDOWN, VK_SPACE, 0);
    }
    if (t > run + 30000) {  // a show that ignores the key is ended, and says so
      ::TerminateProcess(process.hProcess, 1);
      std::puts("fail the engine did not end");
      break;
    }
  }
  const double endedAt = now() - start;
  const double cpu = processorMilliseconds(process.hProcess);
  std::printf("window %.0f\nfirst-picture %.0f\nkey-to-exit %.0f\npeak-private-mb %.1f\ncpu-percent %.1f\n"
              "change-interval %.0f\n",
              windowAt, pictureAt, keyAt >= 0 ? endedAt - keyAt : -1.0, static_cast<double>(peak) / 1048576.0,
              100.0 * cpu / (endedAt > 0 ? endedAt : 1), changes >= 2 ? (latestChange - firstChange) / (changes - 1) : -1.0);
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  return 0;
}
