// Picture loading; see the header.
#include "ui/win32/picture_loader.h"

#include <cstdio>
#include <csetjmp>
#include <vector>

extern "C" {
#include <jpeglib.h>
}

namespace saverkit::win32 {
namespace {

bool isJpegFile(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return false;
  unsigned char signature[3] = {};
  const bool jpeg = std::fread(signature, 1, 3, file) == 3 && signature[0] == 0xFF &&
                    signature[1] == 0xD8 && signature[2] == 0xFF;
  std::fclose(file);
  return jpeg;
}

struct JpegErrorTrap {
  jpeg_error_mgr manager;
  std::jmp_buf escape;
};

// libjpeg reports a damaged file by calling this; it must not return.
void leaveOnJpegError(j_common_ptr info) {
  auto* trap = reinterpret_cast<JpegErrorTrap*>(info->err);
  std::longjmp(trap->escape, 1);
}

HBITMAP bitmapFromRows(int width, int height, const std::vector<unsigned char>& rgb) {
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP bitmap = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!bitmap) return nullptr;
  const int stride = (width * 3 + 3) & ~3;
  auto* out = static_cast<unsigned char*>(bits);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const unsigned char* pixel = &rgb[(static_cast<std::size_t>(y) * width + x) * 3];
      unsigned char* target = out + y * stride + x * 3;
      target[0] = pixel[2];  // the bitmap wants blue first
      target[1] = pixel[1];
      target[2] = pixel[0];
    }
  }
  return bitmap;
}

// The only frame that libjpeg's error exit jumps back to; everything it fills lives with the
// caller, so nothing here is left in an undefined state by the jump.
bool decodeJpeg(jpeg_decompress_struct& info, JpegErrorTrap& trap, std::vector<unsigned char>& rgb,
                int& width, int& height) {
  if (setjmp(trap.escape) != 0) return false;
  jpeg_read_header(&info, TRUE);
  info.out_color_space = JCS_RGB;
  jpeg_start_decompress(&info);
  width = static_cast<int>(info.output_width);
  height = static_cast<int>(info.output_height);
  rgb.resize(static_cast<std::size_t>(width) * height * 3);
  while (info.output_scanline < info.output_height) {
    JSAMPROW row = &rgb[static_cast<std::size_t>(info.output_scanline) * width * 3];
    jpeg_read_scanlines(&info, &row, 1);
  }
  jpeg_finish_decompress(&info);
  return true;
}

HBITMAP loadJpeg(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return nullptr;
  jpeg_decompress_struct info{};
  JpegErrorTrap trap{};
  info.err = jpeg_std_error(&trap.manager);
  trap.manager.error_exit = leaveOnJpegError;
  jpeg_create_decompress(&info);
  jpeg_stdio_src(&info, file);
  std::vector<unsigned char> rgb;
  int width = 0, height = 0;
  const bool decoded = decodeJpeg(info, trap, rgb, width, height);
  jpeg_destroy_decompress(&info);
  std::fclose(file);
  return decoded && width > 0 && height > 0 ? bitmapFromRows(width, height, rgb) : nullptr;
}

}  // namespace

UniqueGdiObject loadPicture(const std::string& path) {
  if (isJpegFile(path)) return UniqueGdiObject(loadJpeg(path));
  HANDLE image = ::LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0,
                              LR_LOADFROMFILE | LR_CREATEDIBSECTION);
  return UniqueGdiObject(static_cast<HGDIOBJ>(image));
}

}  // namespace saverkit::win32
