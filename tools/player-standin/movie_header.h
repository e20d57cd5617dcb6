// What the stand-in learns from a movie file: just enough of its header to show that the file
// the installer handed over is the one it meant, and in the colour the author chose.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace standin {

struct MovieHeader {
  bool valid = false;
  std::string problem;  // why the file is not shown, when !valid
  int version = 0;
  long widthPixels = 0;
  long heightPixels = 0;
  unsigned frameRateWhole = 0;  // the rate is stored as 8.8 fixed point
  unsigned frameRateFraction = 0;
  unsigned frameCount = 0;
  std::uint8_t red = 255, green = 255, blue = 255;  // white until a background tag says otherwise
};

// Parses an uncompressed movie image: the 8-byte file header followed by the body. Never reads
// outside [data, data + size); a body cut short only loses what it did not reach.
MovieHeader parseMovie(const std::uint8_t* data, std::size_t size);

// Reads the start of the file (inflating a compressed body) and parses it.
MovieHeader readMovieFile(const std::wstring& path);

}  // namespace standin
