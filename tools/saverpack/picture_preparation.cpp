// Picture preparation through libvips; see the header. Builds without the library still tell
// pictures apart, so the GPS warning and the refusal of the "pictures" section work everywhere.
#include "picture_preparation.h"

#include <cstring>

#include "photo_metadata.h"
#include "tool_error.h"

#ifdef SAVERPACK_HAVE_VIPS
#include <vips/vips.h>

#include <algorithm>
#include <memory>
#endif

namespace saverpack {

PictureFormat pictureFormatOf(const Bytes& contents) {
  static constexpr std::uint8_t kPng[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  if (contents.size() >= 3 && contents[0] == 0xFF && contents[1] == 0xD8 && contents[2] == 0xFF) {
    return PictureFormat::kJpeg;
  }
  if (contents.size() >= sizeof kPng && std::memcmp(contents.data(), kPng, sizeof kPng) == 0) return PictureFormat::kPng;
  return PictureFormat::kNone;
}

#ifdef SAVERPACK_HAVE_VIPS
namespace {

struct ObjectRelease {
  void operator()(void* object) const { g_object_unref(object); }
};
using Image = std::unique_ptr<VipsImage, ObjectRelease>;
struct BufferRelease {
  void operator()(void* buffer) const { g_free(buffer); }
};

void startLibrary() {
  static const bool started = [] {
    if (VIPS_INIT("saverpack") != 0) throw invalidInput("pictures: the picture library did not start: " + std::string(vips_error_buffer()));
    // Every picture is read once: the operation cache would only hold on to memory.
    vips_cache_set_max(0);
    return true;
  }();
  (void)started;
}

[[noreturn]] void throwUnreadable(const std::string& shown) {
  std::string reason = vips_error_buffer();
  vips_error_clear();
  while (!reason.empty() && reason.back() == '\n') reason.pop_back();
  throw invalidInput(shown + " cannot be read as a picture (" + reason + "); repair it or take it out of the folder");
}

// PNG keeps its metadata in chunks the picture library reads into these fields.
bool pngCarriesMetadata(VipsImage* image) {
  return vips_image_get_typeof(image, VIPS_META_EXIF_NAME) != 0 || vips_image_get_typeof(image, VIPS_META_XMP_NAME) != 0 ||
         vips_image_get_typeof(image, VIPS_META_IPTC_NAME) != 0;
}

}  // namespace

bool picturePreparationAvailable() { return true; }

std::optional<Bytes> preparePicture(const Bytes& contents, PictureFormat format, const PictureRules& rules,
                                    const std::string& shown) {
  startLibrary();
  const Image header(vips_image_new_from_buffer(contents.data(), contents.size(), "", nullptr));
  if (!header) throwUnreadable(shown);
  const PhotoMetadata metadata = format == PictureFormat::kJpeg ? readPhotoMetadata(contents) : PhotoMetadata{};
  const bool large = std::max(header->Xsize, header->Ysize) > rules.longestEdge;
  const bool turned = vips_image_get_orientation(header.get()) > 1;
  const bool revealing = metadata.gps || metadata.identifying || (format == PictureFormat::kPng && pngCarriesMetadata(header.get()));
  if (!large && !turned && !revealing) return std::nullopt;

  // The thumbnail operation shrinks while it decodes, turns the pixels upright and converts an
  // embedded colour profile to sRGB, which stripping the profile then leaves as the default.
  VipsImage* made = nullptr;
  if (vips_thumbnail_buffer(const_cast<std::uint8_t*>(contents.data()), contents.size(), &made, rules.longestEdge,
                            "height", rules.longestEdge, "size", VIPS_SIZE_DOWN, "export_profile", "srgb",
                            nullptr) != 0) {
    throwUnreadable(shown);
  }
  const Image prepared(made);
  void* buffer = nullptr;
  std::size_t length = 0;
  const int failed = format == PictureFormat::kJpeg
      ? vips_jpegsave_buffer(prepared.get(), &buffer, &length, "Q", rules.quality, "strip", TRUE, "optimize_coding", TRUE, nullptr)
      : vips_pngsave_buffer(prepared.get(), &buffer, &length, "strip", TRUE, "compression", 9, nullptr);
  if (failed != 0) throwUnreadable(shown);
  const std::unique_ptr<void, BufferRelease> held(buffer);
  Bytes out(static_cast<std::uint8_t*>(buffer), static_cast<std::uint8_t*>(buffer) + length);
  if (metadata.dateTaken) out = withDateTaken(out, *metadata.dateTaken);
  return out;
}

#else

bool picturePreparationAvailable() { return false; }

std::optional<Bytes> preparePicture(const Bytes&, PictureFormat, const PictureRules&, const std::string&) {
  throw invalidInput(std::string("pictures: ") + kPicturesNeedLibrary);
}

#endif

}  // namespace saverpack
