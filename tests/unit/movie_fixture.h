// Movie files for the reader and panel tests, written byte by byte the way the format lays them
// out, so each test says exactly which header, rectangle and tags its movie has.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <string>
#include <vector>

namespace saverkit::testing {

struct MovieImage {
  std::uint8_t version = 8;
  // The rectangle's first byte: its top five bits are the field width (0x78: 15 bits, 9 bytes).
  std::uint8_t rectangleFirstByte = 0x78;
  std::string tags;

  static std::string shortTag(unsigned code, const std::string& body) {
    const unsigned value = (code << 6) | static_cast<unsigned>(body.size());
    return std::string{static_cast<char>(value & 0xFF), static_cast<char>(value >> 8)} + body;
  }
  static std::string longTag(unsigned code, std::uint32_t declared, const std::string& body) {
    const unsigned value = (code << 6) | 63u;
    std::string tag{static_cast<char>(value & 0xFF), static_cast<char>(value >> 8)};
    for (int shift = 0; shift < 32; shift += 8) tag += static_cast<char>((declared >> shift) & 0xFF);
    return tag + body;
  }
  MovieImage& background(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    tags += shortTag(9, std::string{static_cast<char>(red), static_cast<char>(green), static_cast<char>(blue)});
    return *this;
  }
  MovieImage& tag(unsigned code, const std::string& body) {
    tags += body.size() < 63 ? shortTag(code, body) : longTag(code, static_cast<std::uint32_t>(body.size()), body);
    return *this;
  }

  // Everything after the 8-byte header.
  std::string body() const {
    const unsigned bits = 4u * (rectangleFirstByte / 8u) + 5u;
    std::string rectangle(bits / 8u + (bits % 8u ? 1u : 0u), '\0');
    rectangle[0] = static_cast<char>(rectangleFirstByte);
    return rectangle + std::string("\x00\x18\x01\x00", 4) + tags;  // 24 fps, 1 frame
  }
  std::string header(const char* signature) const {
    const std::uint32_t length = static_cast<std::uint32_t>(8 + body().size());
    std::string bytes(signature, 3);
    bytes += static_cast<char>(version);
    for (int shift = 0; shift < 32; shift += 8) bytes += static_cast<char>((length >> shift) & 0xFF);
    return bytes;
  }
  std::string uncompressed() const { return header("FWS") + body(); }
  std::string compressed() const {
    const std::string plain = body();
    uLongf size = compressBound(static_cast<uLong>(plain.size()));
    std::vector<Bytef> packed(size);
    compress2(packed.data(), &size, reinterpret_cast<const Bytef*>(plain.data()),
              static_cast<uLong>(plain.size()), 9);
    return header("CWS") + std::string(reinterpret_cast<const char*>(packed.data()), size);
  }
};

}  // namespace saverkit::testing
