// Caption rules; see the header.
#include "caption_layout.h"

#include <algorithm>

namespace saverkit::slideshow {

std::wstring captionFileName(std::wstring_view path) {
  const std::size_t slash = path.find_last_of(L"\\/:");
  std::wstring_view name = slash == std::wstring_view::npos ? path : path.substr(slash + 1);
  const std::size_t dot = name.rfind(L'.');
  if (dot != std::wstring_view::npos && dot > 0) name = name.substr(0, dot);
  return std::wstring(name);
}

std::optional<CalendarDate> captionDate(const std::uint8_t* firstBytes, std::size_t size,
                                        std::optional<CalendarDate> lastWritten) {
  if (auto taken = exifDateTaken(firstBytes, size)) return taken;
  return lastWritten;
}

CaptionMetrics captionMetrics(std::uint32_t dpi) {
  // Below 96 (a preview's tiny screen is still drawn at its monitor's dpi) the text would blur.
  const std::int32_t scale = static_cast<std::int32_t>(std::max<std::uint32_t>(dpi, 96));
  auto scaled = [scale](std::int32_t at96) { return (at96 * scale + 48) / 96; };
  return {scaled(24), scaled(12), scaled(6), scaled(8), scaled(20)};
}

Box captionPlate(const Box& area, std::int32_t textWidth, std::int32_t textHeight, const CaptionMetrics& metrics) {
  const std::int32_t widest = area.width - 2 * metrics.margin;
  const std::int32_t height = std::max(textHeight, 0) + 2 * metrics.paddingY;
  if (widest <= 2 * metrics.paddingX || height + 2 * metrics.margin > area.height) return {area.left, area.top, 0, 0};
  const std::int32_t width = std::min(std::max(textWidth, 0) + 2 * metrics.paddingX, widest);
  return {area.left + area.width - metrics.margin - width, area.top + area.height - metrics.margin - height, width, height};
}

void darkenPlate(PixelView pixels, const Box& plate, std::int32_t radius) {
  if (!pixels.pixels || plate.width <= 0 || plate.height <= 0) return;
  radius = std::clamp(radius, 0, std::min(plate.width, plate.height) / 2);
  const std::int32_t top = std::max(plate.top, 0), bottom = std::min(plate.top + plate.height, pixels.height);
  const std::int32_t left = std::max(plate.left, 0), right = std::min(plate.left + plate.width, pixels.width);
  for (std::int32_t y = top; y < bottom; ++y) {
    // A corner row starts further in: the circle of the corner's radius, measured at pixel centres.
    const std::int32_t fromEdge = std::min(y - plate.top, plate.top + plate.height - 1 - y);
    std::int32_t inset = 0;
    if (fromEdge < radius) {
      const std::int32_t dy = 2 * (radius - fromEdge) - 1;  // in half pixels
      while (inset < radius) {
        const std::int32_t dx = 2 * (radius - inset) - 1;
        if (dx * dx + dy * dy <= 4 * radius * radius) break;
        ++inset;
      }
    }
    std::uint8_t* row = pixels.pixels + static_cast<std::ptrdiff_t>(y) * pixels.stride;
    for (std::int32_t x = std::max(left, plate.left + inset); x < std::min(right, plate.left + plate.width - inset); ++x) {
      for (int c = 0; c < 3; ++c) row[x * 4 + c] = static_cast<std::uint8_t>(row[x * 4 + c] * kPlateBrightness >> 8);
    }
  }
}

}  // namespace saverkit::slideshow
