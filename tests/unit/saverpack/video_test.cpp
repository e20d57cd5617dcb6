// Videos in a saver: the probe's verdict on containers and codecs (from bytes laid out here,
// including damaged and lying ones), videos stored rather than imploded, the plan naming them,
// and init writing a video saver around an author's clip.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

#include "saverpack_fixture.h"
#include "video_probe.h"

namespace saverpack::test {
namespace {

namespace fs = std::filesystem;

Bytes operator+(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}
Bytes be32(std::uint32_t v) { return {std::uint8_t(v >> 24), std::uint8_t(v >> 16), std::uint8_t(v >> 8), std::uint8_t(v)}; }
Bytes box(const std::string& type, const Bytes& content) { return be32(std::uint32_t(content.size() + 8)) + bytesOf(type) + content; }

// A movie box with one track per (handler, sample entry) pair, in order.
Bytes movie(const std::vector<std::pair<std::string, std::string>>& tracks) {
  Bytes tracksBytes;
  for (const auto& [handler, entry] : tracks) {
    const Bytes hdlr = box("hdlr", Bytes(8, 0) + bytesOf(handler) + Bytes(12, 0));
    const Bytes stsd = box("stsd", Bytes(3, 0) + Bytes{0} + be32(1) + box(entry, Bytes(8, 0)));
    tracksBytes = tracksBytes + box("trak", box("mdia", hdlr + box("minf", box("stbl", stsd))));
  }
  return box("moov", tracksBytes);
}
const Bytes kFtyp = box("ftyp", bytesOf("isom") + Bytes(4, 0));

// Matroska: one-byte sizes are enough for these small elements.
Bytes element(Bytes id, const Bytes& data) { return id + Bytes{std::uint8_t(0x80 | data.size())} + data; }
Bytes matroska(const std::string& docType, const Bytes& segmentChildren) {
  const Bytes header = Bytes{0x1A, 0x45, 0xDF, 0xA3} + Bytes{std::uint8_t(0x80 | (docType.size() + 3))} +
                       element({0x42, 0x82}, bytesOf(docType));
  // A segment of unknown size, as live recordings write it.
  return header + Bytes{0x18, 0x53, 0x80, 0x67, 0x01, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF} + segmentChildren;
}
Bytes trackEntry(std::uint8_t type, const std::string& codec) {
  return element({0xAE}, element({0x83}, {type}) + element({0x86}, bytesOf(codec)));
}
Bytes tracks(const Bytes& entries) { return element({0x16, 0x54, 0xAE, 0x6B}, entries); }

VideoProbe probeBytes(const Bytes& bytes) {
  return probeVideo([&bytes](std::uint64_t offset, std::uint8_t* into, std::size_t length) {
    const std::size_t count = offset >= bytes.size() ? 0 : std::min<std::size_t>(length, bytes.size() - offset);
    std::copy_n(bytes.begin() + std::ptrdiff_t(offset), count, into);
    return count;
  }, bytes.size());
}

TEST(VideoProbe, ContainersAndCodecs) {
  const Bytes h264 = movie({{"vide", "avc1"}});
  const struct {
    const char* name;
    Bytes bytes;
    VideoContainer container;
    const char* codec;
    const char* advice;  // a part of it; "" when there is none
  } cases[] = {
      {"H.264 in MP4", kFtyp + h264, VideoContainer::kIsoMedia, "avc1", ""},
      {"MPEG-4 Part 2", kFtyp + movie({{"vide", "mp4v"}}), VideoContainer::kIsoMedia, "mp4v", ""},
      {"the sound track first", kFtyp + movie({{"soun", "mp4a"}, {"vide", "hvc1"}}), VideoContainer::kIsoMedia, "hvc1",
       "HEVC Video Extensions"},
      {"HEVC as hev1", kFtyp + movie({{"vide", "hev1"}}), VideoContainer::kIsoMedia, "hev1", "HEVC"},
      {"AV1", kFtyp + movie({{"vide", "av01"}}), VideoContainer::kIsoMedia, "av01", "AV1 Video Extension"},
      {"ProRes", kFtyp + movie({{"vide", "apcn"}}), VideoContainer::kIsoMedia, "apcn", "re-encode it as H.264"},
      {"old QuickTime, movie after the data", box("wide", {}) + box("mdat", Bytes(5000, 7)) + h264,
       VideoContainer::kIsoMedia, "avc1", ""},
      {"no video track", kFtyp + movie({{"soun", "mp4a"}}), VideoContainer::kIsoMedia, "", ""},
      {"WebM VP9", matroska("webm", tracks(trackEntry(2, "A_OPUS") + trackEntry(1, "V_VP9"))), VideoContainer::kMatroska,
       "V_VP9", "VP9 Video Extensions"},
      {"WebM VP8", matroska("webm", tracks(trackEntry(1, "V_VP8"))), VideoContainer::kMatroska, "V_VP8", "VP8"},
      {"Matroska H.264 after a void", matroska("matroska", element({0xEC}, Bytes(20, 0)) + tracks(trackEntry(1, "V_MPEG4/ISO/AVC"))),
       VideoContainer::kMatroska, "V_MPEG4/ISO/AVC", ""},
      {"Matroska AV1", matroska("matroska", tracks(trackEntry(1, "V_AV1"))), VideoContainer::kMatroska, "V_AV1", "AV1"},
      {"a cluster before the tracks", matroska("webm", element({0x1F, 0x43, 0xB6, 0x75}, Bytes(4, 0)) + tracks(trackEntry(1, "V_THEORA"))),
       VideoContainer::kMatroska, "", ""},
      {"another EBML document", matroska("mka-like", tracks(trackEntry(1, "V_VP9"))), VideoContainer::kUnknown, "",
       "not a video container Windows knows"},
      {"ASF", Bytes{0x30, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11, 0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C} + Bytes(30, 0),
       VideoContainer::kAsf, "", ""},
      {"text named .mp4", bytesOf("hello, this is not a video at all"), VideoContainer::kUnknown, "", "not a video container"},
      {"seven bytes", bytesOf("\0\0\0\x08" "ftp"), VideoContainer::kUnknown, "", "not a video container"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const VideoProbe probe = probeBytes(c.bytes);
    EXPECT_EQ(probe.container, c.container);
    EXPECT_EQ(probe.codec, c.codec);
    const std::string advice = videoAdvice(probe);
    if (*c.advice == '\0') EXPECT_EQ(advice, "");
    else EXPECT_NE(advice.find(c.advice), std::string::npos) << advice;
  }
}

TEST(VideoProbe, DamagedAndLyingSizes) {
  const Bytes whole = kFtyp + movie({{"vide", "hvc1"}});
  const Bytes inner = Bytes(whole.begin() + std::ptrdiff_t(kFtyp.size() + 8), whole.end());
  const auto withMovieSize = [&](const Bytes& sizeField) { return kFtyp + sizeField + bytesOf("moov") + inner; };
  const struct {
    const char* name;
    Bytes bytes;
    const char* codec;
  } cases[] = {
      {"cut inside the sample entry's name", Bytes(whole.begin(), whole.end() - 10), ""},
      {"size 0: to the end of the file", withMovieSize(be32(0)), "hvc1"},
      {"size 1 with a 64-bit size", kFtyp + be32(1) + bytesOf("moov") + be32(0) + be32(std::uint32_t(inner.size() + 16)) + inner, "hvc1"},
      {"size 1 with a 64-bit size below 16", kFtyp + be32(1) + bytesOf("moov") + be32(0) + be32(9) + inner, ""},
      {"larger than the file", withMovieSize(be32(0x7FFFFFF0)), "hvc1"},
      {"smaller than its header", withMovieSize(be32(4)), ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const VideoProbe probe = probeBytes(c.bytes);
    EXPECT_EQ(probe.container, VideoContainer::kIsoMedia);
    EXPECT_EQ(probe.codec, c.codec);
  }
}

// A 6 GiB file whose movie box follows the data: the probe steps over the data by its 64-bit
// size. Many small boxes before the movie exhaust the budget instead, and nothing is guessed.
TEST(VideoProbe, SkipsLargeBoxesAndStopsAtItsBudget) {
  const std::uint64_t dataSize = 6ull << 30;
  const Bytes head = kFtyp + be32(1) + bytesOf("mdat") + be32(std::uint32_t(dataSize >> 32)) + be32(std::uint32_t(dataSize));
  const Bytes tail = movie({{"vide", "avc1"}});
  const std::uint64_t tailAt = kFtyp.size() + dataSize;
  std::uint64_t read = 0;
  const VideoProbe large = probeVideo([&](std::uint64_t offset, std::uint8_t* into, std::size_t length) {
    read += length;
    for (std::size_t i = 0; i < length; ++i) {
      const std::uint64_t at = offset + i;
      into[i] = at < head.size() ? head[at] : at >= tailAt ? tail[at - tailAt] : 0;
    }
    return length;
  }, tailAt + tail.size());
  EXPECT_EQ(large.codec, "avc1");
  EXPECT_LT(read, 1024u);

  Bytes padded = kFtyp;
  for (std::size_t i = 0; i < kVideoProbeBudget / 8 + 1; ++i) padded.insert(padded.end(), {0, 0, 0, 8, 'f', 'r', 'e', 'e'});
  const VideoProbe beyond = probeBytes(padded + movie({{"vide", "hvc1"}}));
  EXPECT_EQ(beyond.container, VideoContainer::kIsoMedia);
  EXPECT_EQ(beyond.codec, "");
  EXPECT_EQ(videoAdvice(beyond), "");
}

// Clips as ffmpeg writes them (the movie box after the data, WebM's seek head and info before
// its tracks), read from the file as init reads an author's clip.
TEST_F(SaverpackTest, ProbesRealClips) {
  const struct {
    const char* file;
    const char* options;
    const char* codec;
  } clips[] = {
      {"h264.mp4", "-pix_fmt yuv420p -c:v libx264", "avc1"}, {"part2.mp4", "-c:v mpeg4", "mp4v"},
      {"quicktime.mov", "-pix_fmt yuv420p -c:v libx264 -f mov", "avc1"}, {"vp9.webm", "-c:v libvpx-vp9", "V_VP9"},
      {"windows.wmv", "-c:v wmv2", ""},
  };
  for (const auto& clip : clips) {
    SCOPED_TRACE(clip.file);
    const std::string command = "ffmpeg -nostdin -loglevel error -f lavfi -i color=c=red:s=160x90:d=1 " +
                                std::string(clip.options) + " '" + path(clip.file).string() + "'";
    ASSERT_EQ(std::system(command.c_str()), 0) << command << " (scripts/setup installs ffmpeg)";
    ASSERT_EQ(run({"init", path(std::string("project-") + clip.file).u8string(), "--video", path(clip.file).u8string()}).code, 0);
    const Bytes bytes = readWholeFile(path(clip.file));
    EXPECT_EQ(probeBytes(bytes).codec, clip.codec);
    EXPECT_EQ(videoAdvice(probeBytes(bytes)).empty(), std::string(clip.codec) != "V_VP9");
  }
}

TEST(VideoProbe, VideoNames) {
  for (const char* name : {"a.mp4", "b.M4V", "dir\\c.MoV", "d.wmv", "e.WEBM"}) EXPECT_TRUE(isVideoName(name)) << name;
  for (const char* name : {"a.mp4.txt", "mp4", "a.mkv", "a.mp4\\b", "a.avi", "a.mp"}) EXPECT_FALSE(isVideoName(name)) << name;
}

class VideoBuildTest : public SaverpackTest {
 protected:
  void SetUp() override {
    SaverpackTest::SetUp();
    writeFixtureFiles();
    // Compressible, so that imploding would pay if videos were treated like other files.
    write("content/clip.MP4", kFtyp + movie({{"vide", "avc1"}}) + box("mdat", Bytes(20000, 'a')));
  }
};

TEST_F(VideoBuildTest, VideosAreStoredUnlessImplodeIsAsked) {
  Json manifest = standardManifest(true);
  const CliResult built = run({"build", writeManifest(manifest).u8string(), "-o", path("Setup.exe").u8string(), "--list"});
  ASSERT_EQ(built.code, 0) << built.err;
  EXPECT_EQ(built.err.find("clip"), std::string::npos) << built.err;
  EXPECT_NE(built.out.find("  1   video         "), std::string::npos) << built.out;  // stored: sorted first
  EXPECT_NE(built.out.find("file, imploded"), std::string::npos) << built.out;       // the text, as before
  const CliResult plan = run({"inspect", path("Setup.exe").u8string(), "--plan"});
  EXPECT_NE(plan.out.find("  1   video    "), std::string::npos) << plan.out;

  manifest["data"]["implode"] = Json{{"*.mp4", "always"}, {"*", "auto"}};
  const CliResult always = run({"build", writeManifest(manifest).u8string(), "-o", path("Setup.exe").u8string(), "--list"});
  ASSERT_EQ(always.code, 0) << always.err;
  EXPECT_NE(always.out.find("  1   video, imploded"), std::string::npos) << always.out;
  EXPECT_NE(always.err.find("warning: data.implode.*.mp4: \"clip.MP4\" is a video and is imploded as asked"), std::string::npos)
      << always.err;
}

TEST_F(VideoBuildTest, WarnsOfVideosWindowsMayNotPlay) {
  write("content/clip.MP4", kFtyp + movie({{"vide", "hvc1"}}));
  write("content/notes.webm", "not a video");
  const CliResult built = run({"build", writeManifest(standardManifest(false)).u8string(), "-o",
                               path("Setup.exe").u8string(), "--strict"});
  EXPECT_EQ(built.code, 1);
  EXPECT_NE(built.err.find("data.folder: \"clip.MP4\" is HEVC"), std::string::npos) << built.err;
  EXPECT_NE(built.err.find("data.folder: \"notes.webm\" is not a video container Windows knows"), std::string::npos) << built.err;
  EXPECT_FALSE(fs::exists(path("Setup.exe")));
}

TEST_F(VideoBuildTest, InitWritesAVideoSaverAroundTheClip) {
  write("frame.jpg", Bytes{0xFF, 0xD8, 0xFF, 0xC0, 0, 11, 8, 0x01, 0x10, 0x01, 0xE2, 1, 1, 0x11, 0});  // 482 x 272
  const CliResult init = run({"init", path("reef").u8string(), "--video", path("content/clip.MP4").u8string(),
                              "--picture", path("frame.jpg").u8string()});
  ASSERT_EQ(init.code, 0) << init.err;
  EXPECT_EQ(readWholeFile(path("reef/content/clip.MP4")), readWholeFile(path("content/clip.MP4")));
  EXPECT_EQ(readWholeFile(path("reef/picture.jpg")), readWholeFile(path("frame.jpg")));
  const Json manifest = Json::parse(readWholeFile(path("reef/manifest.json")));
  EXPECT_EQ(manifest["presentationMode"], "jpeg");
  EXPECT_EQ(manifest["slots"]["3"]["file"], "picture.jpg");
  const CliResult built = run({"build", path("reef/manifest.json").u8string(), "-o", path("Reef.exe").u8string(), "--strict", "--list"});
  EXPECT_EQ(built.code, 0) << built.err;
  EXPECT_NE(built.out.find("video         "), std::string::npos) << built.out;

  // Each refusal leaves nothing behind.
  write("clip.avi", "RIFF");
  write("Ünterwasser.mp4", "x");
  write("con.mp4", "x");  // a device name on Windows
  const struct {
    std::vector<std::string> args;
    int code;
    const char* message;
  } refusals[] = {
      {{"--video", path("missing.mp4").u8string()}, 3, "--video: no such file"},
      {{"--video", path("clip.avi").u8string()}, 1, "is not a video by its name"},
      {{"--video", path("Ünterwasser.mp4").u8string()}, 1, "rename the clip"},
      {{"--video", path("con.mp4").u8string()}, 1, "--video: \"con.mp4\""},
      {{"--video", path("content/clip.MP4").u8string(), "--picture", path("clip.avi").u8string()}, 1,
       "neither a BMP nor a JPEG"},
      {{"--video", path("content/clip.MP4").u8string(), "--picture", path("none.bmp").u8string()}, 3, "--picture: no such file"},
  };
  for (const auto& r : refusals) {
    SCOPED_TRACE(r.message);
    std::vector<std::string> args = {"init", path("refused").u8string()};
    args.insert(args.end(), r.args.begin(), r.args.end());
    const CliResult result = run(args);
    EXPECT_EQ(result.code, r.code);
    EXPECT_NE(result.err.find(r.message), std::string::npos) << result.err;
    EXPECT_FALSE(fs::exists(path("refused")));
  }
}

}  // namespace
}  // namespace saverpack::test
