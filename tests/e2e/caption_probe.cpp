// Draws the engine's captions the way its show does, into 32-bit memory bitmaps, and reports what
// it finds in their pixels, for slideshow_caption.sh:
//   caption_probe text PATH...           "name text=<t>" and "date text=<t>" for each file
//   caption_probe draw WIDTH HEIGHT DPI OUT.bmp
//       draws "Beach at Dawn, 2019" on a white and on a black frame of that size, and on a white
//       one whose rows run bottom-up, and reports, per frame, the box of changed pixels (from the
//       top) and the darkest and lightest level in it: "drawn on=<white|black|white-bottom-up>
//       box=L,T,R,B darkest=<n> lightest=<n>" ("drawn ... box=none" for none); the first two
//       frames go to OUT.bmp, one above the other, to look at.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "caption_painter.h"

namespace {

using namespace saverkit::slideshow;

std::string narrow(const std::wstring& text) {
  char buffer[512] = {};
  ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, buffer, sizeof buffer - 1, nullptr, nullptr);
  return buffer;
}

void drawOn(const char* name, bool white, bool bottomUp, int width, int height, UINT dpi, unsigned char* out) {
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, bottomUp ? height : -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP bitmap = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HDC dc = ::CreateCompatibleDC(nullptr);
  HGDIOBJ old = ::SelectObject(dc, bitmap);
  const unsigned char level = white ? 255 : 0;
  std::memset(bits, level, static_cast<std::size_t>(width) * height * 4);
  win32::drawCaption(dc, {0, 0, width, height}, L"Beach at Dawn, 2019", dpi);
  ::GdiFlush();
  const auto* pixels = static_cast<const unsigned char*>(bits);
  int left = width, top = height, right = -1, bottom = -1, darkest = 255, lightest = 0;
  for (int y = 0; y < height; ++y) {
    const int row = bottomUp ? height - 1 - y : y;
    for (int x = 0; x < width; ++x) {
      const unsigned char* p = pixels + (static_cast<std::size_t>(row) * width + x) * 4;
      if (p[0] == level && p[1] == level && p[2] == level) continue;
      left = x < left ? x : left, right = x > right ? x : right, top = y < top ? y : top, bottom = y;
      darkest = p[1] < darkest ? p[1] : darkest, lightest = p[1] > lightest ? p[1] : lightest;
    }
  }
  if (right < 0) {
    std::printf("drawn on=%s box=none\n", name);
  } else {
    std::printf("drawn on=%s box=%d,%d,%d,%d darkest=%d lightest=%d\n", name, left, top,
                right + 1, bottom + 1, darkest, lightest);
  }
  if (out) std::memcpy(out, bits, static_cast<std::size_t>(width) * height * 4);
  ::SelectObject(dc, old);
  ::DeleteDC(dc);
  ::DeleteObject(bitmap);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 2 && std::strcmp(argv[1], "text") == 0) {
    for (int i = 2; i < argc; ++i) {
      std::printf("name text=\"%s\"\n", narrow(win32::captionText(Caption::kFileName, argv[i])).c_str());
      std::printf("date text=\"%s\"\n", narrow(win32::captionText(Caption::kDateTaken, argv[i])).c_str());
      std::printf("none text=\"%s\"\n", narrow(win32::captionText(Caption::kNone, argv[i])).c_str());
    }
    return 0;
  }
  if (argc != 6 || std::strcmp(argv[1], "draw") != 0) return 2;
  const int width = std::atoi(argv[2]), height = std::atoi(argv[3]);
  if (width <= 0 || height <= 0 || width > 4000 || height > 4000) return 2;
  std::string image(static_cast<std::size_t>(width) * height * 8, '\0');
  auto* pixels = reinterpret_cast<unsigned char*>(image.data());
  const auto dpi = static_cast<UINT>(std::atoi(argv[4]));
  drawOn("white", true, false, width, height, dpi, pixels);
  drawOn("black", false, false, width, height, dpi, pixels + image.size() / 2);
  drawOn("white-bottom-up", true, true, width, height, dpi, nullptr);
  BITMAPFILEHEADER file{0x4D42, static_cast<DWORD>(sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER) + image.size()),
                        0, 0, sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER)};
  BITMAPINFOHEADER header{sizeof(BITMAPINFOHEADER), width, -2 * height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  FILE* out = std::fopen(argv[5], "wb");
  if (!out) return 1;
  std::fwrite(&file, sizeof file, 1, out);
  std::fwrite(&header, sizeof header, 1, out);
  std::fwrite(image.data(), 1, image.size(), out);
  std::fclose(out);
  return 0;
}
