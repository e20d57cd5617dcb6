// Captions; see the header. What can be decided without Windows (the name, which day, where the
// plate goes, the plate's pixels) is in caption_layout; this file asks Windows and draws text.
#include "caption_painter.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <memory>

#include "caption_layout.h"
#include "platform/win32/unique_handle.h"
#include "wide_text.h"

namespace saverkit::slideshow::win32 {
namespace {

std::optional<CalendarDate> localDay(const FILETIME& written) {
  SYSTEMTIME universal{}, local{};
  if (!::FileTimeToSystemTime(&written, &universal) || !::SystemTimeToTzSpecificLocalTime(nullptr, &universal, &local)) {
    return std::nullopt;
  }
  return CalendarDate{local.wYear, local.wMonth, local.wDay};
}

// The photo's day, from one handle: its first bytes and, failing those, its last-written time.
std::optional<CalendarDate> dayOf(const std::string& path) {
  saverkit::win32::UniqueFileHandle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                                       nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file) return std::nullopt;
  FILETIME written{};
  const std::optional<CalendarDate> lastWritten =
      ::GetFileTime(file.get(), nullptr, nullptr, &written) ? localDay(written) : std::nullopt;
  const std::unique_ptr<std::uint8_t[]> start(new (std::nothrow) std::uint8_t[kExifSearchBytes]);
  if (!start) return lastWritten;
  DWORD got = 0;
  if (!::ReadFile(file.get(), start.get(), static_cast<DWORD>(kExifSearchBytes), &got, nullptr)) got = 0;
  return captionDate(start.get(), got, lastWritten);
}

std::wstring longDate(const CalendarDate& day) {
  SYSTEMTIME date{};
  date.wYear = static_cast<WORD>(day.year);
  date.wMonth = static_cast<WORD>(day.month);
  date.wDay = static_cast<WORD>(day.day);
  wchar_t text[128] = {};
  if (!::GetDateFormatW(LOCALE_USER_DEFAULT, DATE_LONGDATE, &date, nullptr, text, 128)) return {};
  return text;
}

// The pixels of the 32-bit DIB section selected into `dc`, top row first; none for another bitmap.
// Which way its rows run is asked of GDI itself, by setting a pixel of `area` (where the caller
// lets us draw) and seeing which row changes: Wine reports a top-down section's height as
// positive, as it does a bottom-up one's.
PixelView dibPixels(HDC dc, const Box& area) {
  DIBSECTION section{};
  const auto bitmap = static_cast<HBITMAP>(::GetCurrentObject(dc, OBJ_BITMAP));
  if (!bitmap || ::GetObjectW(bitmap, sizeof section, &section) != sizeof section || section.dsBm.bmBitsPixel != 32 ||
      !section.dsBm.bmBits || section.dsBm.bmHeight <= 0) {
    return {};
  }
  PixelView view{static_cast<std::uint8_t*>(section.dsBm.bmBits), section.dsBm.bmWidth, section.dsBm.bmHeight,
                 section.dsBm.bmWidthBytes};
  const std::int32_t x = std::clamp(area.left, 0, view.width - 1);
  std::int32_t y = std::clamp(area.top + area.height - 1, 0, view.height - 1);
  if (2 * y == view.height - 1 && y > 0) --y;  // the middle row reads the same either way
  std::uint8_t* const downward = view.pixels + static_cast<std::ptrdiff_t>(y) * view.stride + x * 4;
  std::uint8_t* const upward = view.pixels + static_cast<std::ptrdiff_t>(view.height - 1 - y) * view.stride + x * 4;
  std::uint8_t down[4], up[4];
  std::memcpy(down, downward, 4);
  std::memcpy(up, upward, 4);
  ::SetPixelV(dc, x, y, RGB(down[2] ^ 0xFF, down[1] ^ 0xFF, down[0] ^ 0xFF));
  ::GdiFlush();
  const bool topDown = std::memcmp(downward, down, 3) != 0, bottomUp = std::memcmp(upward, up, 3) != 0;
  std::memcpy(downward, down, 4);
  std::memcpy(upward, up, 4);
  if (topDown == bottomUp) return {};  // clipped away, or a one-row bitmap: no way to tell, no plate
  if (bottomUp) {
    view.pixels += static_cast<std::ptrdiff_t>(view.height - 1) * view.stride;
    view.stride = -view.stride;
  }
  return view;
}

}  // namespace

std::wstring captionText(Caption caption, const std::string& path) {
  if (caption == Caption::kFileName) return captionFileName(wideText(path));
  if (caption == Caption::kDateTaken) {
    if (const auto day = dayOf(path)) return longDate(*day);
  }
  return {};
}

void drawCaption(HDC dc, const Box& area, const std::wstring& text, UINT dpi) {
  if (!dc || text.empty()) return;
  ::GdiFlush();  // GDI's queued drawing reaches the bits before they are read
  const PixelView pixels = dibPixels(dc, area);
  if (!pixels.pixels) return;
  const CaptionMetrics metrics = captionMetrics(dpi);
  // The shell's own face from Vista on; the font mapper gives older systems their sans serif.
  saverkit::win32::UniqueGdiObject font(::CreateFontW(
      -metrics.fontHeight, 0, 0, 0, FW_SEMIBOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
      CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, DEFAULT_PITCH | FF_SWISS, L"Segoe UI"));
  const HGDIOBJ oldFont = ::SelectObject(dc, font ? font.get() : ::GetStockObject(DEFAULT_GUI_FONT));
  RECT measured{0, 0, 0, 0};
  ::DrawTextW(dc, text.c_str(), -1, &measured, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
  const Box plate = captionPlate(area, measured.right, measured.bottom, metrics);
  if (plate.width > 0) {
    darkenPlate(pixels, plate, metrics.radius);
    RECT inside{plate.left + metrics.paddingX, plate.top + metrics.paddingY, plate.left + plate.width - metrics.paddingX,
                plate.top + plate.height - metrics.paddingY};
    const int oldMode = ::SetBkMode(dc, TRANSPARENT);
    const COLORREF oldColour = ::SetTextColor(dc, RGB(245, 245, 245));
    ::DrawTextW(dc, text.c_str(), -1, &inside, DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS | DT_VCENTER | DT_LEFT);
    ::SetTextColor(dc, oldColour);
    ::SetBkMode(dc, oldMode);
  }
  ::SelectObject(dc, oldFont);
}

}  // namespace saverkit::slideshow::win32
