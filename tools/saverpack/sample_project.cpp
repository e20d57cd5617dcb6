// The sample project; see the header.
#include "sample_project.h"

#include <cctype>
#include <fstream>

#include "common/file_names.h"
#include "content_checks.h"
#include "header_rules.h"
#include "messages.h"
#include "output_guard.h"
#include "picture_preparation.h"
#include "package/package_format.h"
#include "tool_error.h"
#include "video_probe.h"

namespace saverpack {
namespace {

namespace fs = std::filesystem;

struct Colour {
  int r, g, b;
};

Colour blend(Colour from, Colour to, int step, int steps) {
  return {from.r + (to.r - from.r) * step / steps, from.g + (to.g - from.g) * step / steps,
          from.b + (to.b - from.b) * step / steps};
}

bool insideEllipse(int x, int y, int cx, int cy, int rx, int ry) {
  const long dx = x - cx;
  const long dy = y - cy;
  return dx * dx * ry * ry + dy * dy * rx * rx <= long(rx) * rx * ry * ry;
}

// The look of one sample picture: the sky from top to horizon, the sea from horizon to bottom,
// the sun and where the fish swims.
struct Scene {
  Colour skyTop, skyHorizon, sun, seaTop, seaBottom, fish, tail;
  int sunX, fishX;
};

const Scene kInstallerScene = {{168, 214, 250}, {112, 178, 236}, {255, 214, 92}, {36, 128, 196}, {6, 32, 84},
                               {255, 138, 48}, {240, 110, 36}, 372, 180};
// The pictures of the sample saver's show: morning, noon and evening over the same sea.
const Scene kShowScenes[] = {
    {{250, 196, 160}, {255, 232, 200}, {255, 246, 220}, {70, 150, 190}, {10, 50, 90}, {255, 120, 60}, {230, 90, 40}, 90, 300},
    {{60, 140, 230}, {150, 205, 250}, {255, 250, 210}, {20, 140, 200}, {4, 40, 90}, {250, 200, 40}, {230, 170, 20}, 240, 160},
    {{40, 30, 90}, {230, 110, 70}, {255, 170, 60}, {60, 60, 120}, {10, 10, 40}, {200, 80, 160}, {170, 60, 140}, 400, 240},
};

// Integer arithmetic only, so every build of saverpack draws exactly the same bytes.
Colour pixelAt(const Scene& scene, int x, int y) {
  constexpr int kHorizon = 112;
  if (insideEllipse(x, y, scene.sunX, 58, 30, 30)) return scene.sun;
  if (y < kHorizon) return blend(scene.skyTop, scene.skyHorizon, y, kHorizon);
  // A fish: an oval body, a triangular tail and an eye.
  const int fx = scene.fishX;
  if (insideEllipse(x, y, fx, 190, 44, 20)) return insideEllipse(x, y, fx + 26, 186, 4, 4) ? Colour{20, 20, 40} : scene.fish;
  if (x >= fx - 70 && x <= fx - 40 && y - 190 <= fx - 40 - x && 190 - y <= fx - 40 - x) return scene.tail;
  Colour sea = blend(scene.seaTop, scene.seaBottom, y - kHorizon, kPresentationHeight - kHorizon);
  // Light bands just below the surface.
  if (y < kHorizon + 40 && ((x + 2 * y) / 18) % 5 == 0) sea = blend(sea, {255, 255, 255}, 1, 5);
  return sea;
}

void put16(Bytes& b, std::size_t at, std::uint32_t v) {
  b[at] = std::uint8_t(v);
  b[at + 1] = std::uint8_t(v >> 8);
}
void put32(Bytes& b, std::size_t at, std::uint32_t v) {
  put16(b, at, v & 0xFFFF);
  put16(b, at + 2, v >> 16);
}

const char* const kLicence =
    "@NAME@ - Licence\r\n"
    "\r\n"
    "This is a sample licence. Replace this file with the licence of your screen saver.\r\n"
    "The installer shows it in its window before it installs anything.\r\n"
    "\r\n"
    "Save it as plain text (saverpack converts UTF-8 to Windows-1252) or as RTF.\r\n";

const char* const kReadMe =
    "Thank you for installing @NAME@.\r\n"
    "\r\n"
    "This read-me is opened after the install. Replace it with your own.\r\n"
    "\r\n"
    "About this sample project\r\n"
    "\r\n"
    "@ABOUT@"
    " they are installed into the product folder,\r\n"
    "  C:\\ProgramData\\Vantrel\\@NAME@\\ on current Windows.\r\n"
    "\r\n"
    "  @PICTURE@ is shown in the installer window; the area is 482 x 272 pixels.\r\n"
    "  The installer needs no Flash Player, so it works on today's Windows.\r\n";

const char* const kAboutPictures =
    "  The screen saver is Saverkit's slideshow engine: it shows the pictures\r\n"
    "  below content\\ one after another. Put your own pictures there (BMP, JPEG,\r\n"
    "  PNG or GIF);";
const char* const kAboutVideo =
    "  The screen saver is Saverkit's slideshow engine: it plays the video\r\n"
    "  below content\\ over and over, without sound until the viewer turns it on\r\n"
    "  in the saver's settings. Add more videos (MP4 with H.264 plays on every\r\n"
    "  Windows) or pictures there;";

const char* const kManifest =
    "{\n"
    "  \"saverName\": \"@NAME@\",\n"
    "  \"presentationMode\": \"@MODE@\",\n"
    "  \"needsFlashPlayer\": false,\n"
    "  \"engine\": \"slideshow\",\n"
    "  \"options\": {\"askOpenControlPanel\": true, \"finishWithoutLauncher\": true},\n"
    "  \"slots\": {\n"
    "    \"3\": {\"file\": \"@PICTURE@\"},\n"
    "    \"4\": {\"file\": \"License.txt\"},\n"
    "    \"5\": {\"file\": \"ReadMe.txt\"},\n"
    "    \"6\": {\"implode\": true}\n"
    "  },\n"
    "  \"data\": {\n"
    "    \"folder\": \"content\",\n"
    "    \"implode\": \"auto\"\n"
    "  },\n"
    "  \"show\": {\"seconds\": 8, \"order\": \"sorted\", \"fit\": \"fit\", \"backdrop\": \"blurred\", \"caption\": \"none\"}@PICTURES@\n"
    "}\n";

std::string replaced(std::string text, const std::string& key, const std::string& value) {
  for (std::size_t at = text.find(key); at != std::string::npos; at = text.find(key, at + value.size())) {
    text.replace(at, key.size(), value);
  }
  return text;
}

std::string withName(const char* text, const std::string& name) { return replaced(text, "@NAME@", name); }

// The installer window's picture as the project carries it: the sample's BMP, or the author's
// BMP or JPEG under a name that says which.
struct WindowPicture {
  std::string name;
  const char* mode;
  Bytes bytes;
};

// A build that can prepare photos turns it on, so an author's camera originals go out at screen
// size and without the place they were taken; one that cannot leaves the key out rather than
// write a manifest it would refuse.
std::string manifestText(const std::string& saverName, const WindowPicture& picture) {
  std::string text = replaced(replaced(withName(kManifest, saverName), "@MODE@", picture.mode), "@PICTURE@", picture.name);
  return replaced(text, "@PICTURES@", picturePreparationAvailable() ? ",\n  \"pictures\": {\"longestEdge\": 3840}" : "");
}

std::string readMeText(const std::string& saverName, bool video, const WindowPicture& picture) {
  return replaced(replaced(withName(kReadMe, saverName), "@ABOUT@", video ? kAboutVideo : kAboutPictures), "@PICTURE@",
                  picture.name);
}

Bytes scenePicture(const Scene& scene) {
  constexpr std::uint32_t kStride = (kPresentationWidth * 3 + 3) & ~3u;
  constexpr std::uint32_t kPixels = kStride * kPresentationHeight;
  Bytes bmp(54 + kPixels, 0);
  bmp[0] = 'B';
  bmp[1] = 'M';
  put32(bmp, 2, std::uint32_t(bmp.size()));
  put32(bmp, 10, 54);
  put32(bmp, 14, 40);
  put32(bmp, 18, kPresentationWidth);
  put32(bmp, 22, kPresentationHeight);
  put16(bmp, 26, 1);
  put16(bmp, 28, 24);
  put32(bmp, 34, kPixels);
  put32(bmp, 38, 2835);  // 72 dots per inch
  put32(bmp, 42, 2835);
  for (int y = 0; y < kPresentationHeight; ++y) {
    // Rows are stored bottom row first.
    std::size_t at = 54 + std::size_t(kPresentationHeight - 1 - y) * kStride;
    for (int x = 0; x < kPresentationWidth; ++x) {
      const Colour c = pixelAt(scene, x, y);
      bmp[at++] = std::uint8_t(c.b);
      bmp[at++] = std::uint8_t(c.g);
      bmp[at++] = std::uint8_t(c.r);
    }
  }
  return bmp;
}

std::string shownFile(const fs::path& file) { return quoteText(pathToUtf8(file)); }

// The author's picture for the installer window, or the sample's when none is given.
WindowPicture windowPicture(const fs::path& given, std::vector<std::string>& notes) {
  if (given.empty()) return {"picture.bmp", "bitmap", scenePicture(kInstallerScene)};
  std::error_code error;
  if (!fs::is_regular_file(given, error)) throw ioError("--picture: no such file " + shownFile(given));
  Bytes bytes = readWholeFile(given);
  const auto size = pictureSize(bytes);
  if (!size) {
    throw invalidInput("--picture: " + shownFile(given) + " is neither a BMP nor a JPEG picture; the installer "
                       "window shows only those");
  }
  if (size->width != kPresentationWidth || size->height != kPresentationHeight) {
    notes.push_back(shownFile(given) + " is " + std::to_string(size->width) + " x " + std::to_string(size->height) +
                    " pixels; the installer window stretches it to 482 x 272, and build warns of it");
  }
  const bool jpeg = std::string(size->format) == "JPEG";
  return {jpeg ? "picture.jpg" : "picture.bmp", jpeg ? "jpeg" : "bitmap", std::move(bytes)};
}

// The clip's name as its item, held to the rules build holds items to, so the project builds.
std::string clipItemName(const fs::path& clip, std::vector<std::string>& notes) {
  std::error_code error;
  if (!fs::is_regular_file(clip, error)) throw ioError("--video: no such file " + shownFile(clip));
  const std::string name = clip.filename().u8string();
  if (!isVideoName(name)) {
    throw invalidInput("--video: " + shownFile(clip) + " is not a video by its name; the saver plays .mp4, .m4v, "
                       ".mov, .wmv and .webm files");
  }
  if (!isPrintableAscii(name)) {
    throw invalidInput("--video: " + quoteText(name) + " is not printable ASCII, and the installer reads names in the "
                       "system's single-byte code page; rename the clip");
  }
  if (const std::string reason = unsafeNameReason(name); !reason.empty()) throw invalidInput("--video: " + reason);
  std::ifstream in(clip, std::ios::binary);
  const std::uint64_t size = fs::file_size(clip, error);
  if (!in || error) throw ioError("--video: cannot read " + shownFile(clip));
  // Only the few headers the probe asks for are read, wherever they lie in the file.
  const ByteReader read = [&in](std::uint64_t offset, std::uint8_t* into, std::size_t length) {
    in.clear();
    in.seekg(std::streamoff(offset));
    in.read(reinterpret_cast<char*>(into), std::streamsize(length));
    return std::size_t(in.gcount());
  };
  const std::string advice = videoAdvice(probeVideo(read, size));
  if (!advice.empty()) notes.push_back(quoteText(name) + " " + advice + " (build warns of it)");
  return name;
}

}  // namespace

std::string saverNameForFolder(const fs::path& folder) {
  std::string base = folder.lexically_normal().filename().u8string();
  if (base.empty() || base == "." || base == "..") base = fs::absolute(folder).lexically_normal().parent_path().filename().u8string();
  std::string name;
  bool wordStart = true;
  for (const char c : base) {
    const char letter = c == '-' || c == '_' ? ' ' : c;
    name += wordStart && std::islower(static_cast<unsigned char>(letter)) ? char(std::toupper(letter)) : letter;
    wordStart = letter == ' ';
  }
  if (name.size() > saverkit::kSaverNameFieldSize || !isPrintableAscii(name) || !saverkit::isSafeBareName(name) ||
      saverkit::storedFileName(name) != name) {
    return kFallbackSaverName;
  }
  return name;
}

Bytes samplePicture() { return scenePicture(kInstallerScene); }

SampleProject writeSampleProject(const fs::path& folder, const std::string& saverName, bool force,
                                 const SampleChoices& choices) {
  if (saverName.size() > saverkit::kSaverNameFieldSize) {
    throw usageError("--name: " + quoteText(saverName) + " is longer than 64 characters");
  }
  if (!isPrintableAscii(saverName)) throw usageError("--name: " + quoteText(saverName) + " must be printable ASCII");
  if (const std::string reason = unsafeNameReason(saverName); !reason.empty()) throw usageError("--name: " + reason);
  std::error_code error;
  if (fs::exists(folder, error) && !fs::is_directory(folder, error)) {
    throw usageError(quoteText(pathToUtf8(folder)) + " is a file, not a folder");
  }
  if (!force && !isMissingOrEmptyFolder(folder)) {
    throw usageError(quoteText(pathToUtf8(folder)) + " is not empty; init would replace sample files there. "
                     "Pass --force, or choose a new folder");
  }
  SampleProject project{saverName, {}, {}};
  // Everything the author gave is checked before the first file is written.
  const std::string clip = choices.video.empty() ? std::string() : clipItemName(choices.video, project.notes);
  const WindowPicture picture = windowPicture(choices.picture, project.notes);
  const auto made = [&](const std::string& relative) {
    const fs::path file = folder / fs::u8path(relative);
    fs::create_directories(file.parent_path(), error);
    if (error) throw ioError("cannot create folder " + quoteText(pathToUtf8(file.parent_path())) + ": " + error.message());
    project.written.push_back(relative);
    return file;
  };
  const auto write = [&](const std::string& relative, const Bytes& bytes) { writeFileReplacing(made(relative), bytes); };
  const auto text = [](const std::string& value) { return Bytes(value.begin(), value.end()); };
  write("manifest.json", text(manifestText(saverName, picture)));
  write(picture.name, picture.bytes);
  write("License.txt", text(withName(kLicence, saverName)));
  write("ReadMe.txt", text(readMeText(saverName, !clip.empty(), picture)));
  if (!clip.empty()) {
    copyFileReplacing(choices.video, made("content/" + clip));
    return project;
  }
  // Subfolders are shown too, so the sample keeps one picture in a folder of its own.
  write("content/1-morning.bmp", scenePicture(kShowScenes[0]));
  write("content/2-noon.bmp", scenePicture(kShowScenes[1]));
  write("content/evening/3-evening.bmp", scenePicture(kShowScenes[2]));
  return project;
}

}  // namespace saverpack
