// The movie reader: signatures, the accepted versions, the tag walk, the expansion of compressed
// movies into the panel's folder, and damaged movies, which are raised as errors.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <vector>

#include "common/saverkit_error.h"
#include "flash/swf_reader.h"
#include "installer/fake/fake_platform.h"
#include "movie_fixture.h"

namespace saverkit {
namespace {

using testing::MovieImage;

class SwfReaderTest : public ::testing::Test {
 protected:
  SwfReaderTest() { fakes.files.addFolder(kLocal); }

  // Reads the movie the way the panel does; the status of the first step that fails.
  Status read(const std::string& bytes) {
    fakes.files.addFile(kMovie, bytes);
    movie.swfFilename = kMovie;
    Status result = readSWFFileFormatType(fakes.files, movie);
    if (result != 0) return result;
    if (movie.formatSignature == "CWS") {
      result = inflateSWFFileToTempFile(fakes.files, fakes.system, movie);
      if (result != 0) return result;
      return readSWFFile_FWS_Format(fakes.files, movie, movie.tempFolder + kUncompressedMovieName);
    }
    return readSWFFile_FWS_Format(fakes.files, movie, kMovie);
  }
  void expectRaised(const std::string& bytes, const std::string& message) {
    try {
      read(bytes);
      ADD_FAILURE() << "nothing raised; expected " << message;
    } catch (const SaverkitError& error) {
      EXPECT_EQ(std::string(error.what()), message);
    }
  }

  const std::string kLocal = "C:\\Documents and Settings\\user\\Local Settings\\Application Data\\";
  const std::string kPanelFolder = kLocal + "Vantrel\\FlashPanel1\\";
  const std::string kMovie = "C:\\work\\intro.swf";
  fake::FakePlatform fakes;
  MovieFileState movie;
};

TEST_F(SwfReaderTest, VersionsThreeToElevenAreAcceptedCompressedOrNot) {
  for (const std::uint8_t version : {2, 3, 8, 11, 12, 255}) {
    for (const bool compressed : {false, true}) {
      SCOPED_TRACE(std::to_string(version) + (compressed ? " CWS" : " FWS"));
      MovieImage image;
      image.version = version;
      image.background(0x10, 0x80, 0xF0);
      const Status expected = version > 11 ? -405 : version < 3 ? -406 : 0;
      EXPECT_EQ(read(compressed ? image.compressed() : image.uncompressed()), expected);
      EXPECT_EQ(movie.swfVersion, version);
    }
  }
}

TEST_F(SwfReaderTest, SignaturesOtherThanTheTwoAreRefused) {
  MovieImage image;
  image.background(1, 2, 3);
  std::string lower = image.uncompressed();
  lower[0] = 'f';
  EXPECT_EQ(read(lower), -404);
  EXPECT_EQ(movie.formatSignature, "fWS");
  // The expanded copy is checked again: an "FWS" reader refuses anything else.
  fakes.files.addFile("C:\\work\\other.swf", image.header("CWS") + image.body());
  EXPECT_EQ(readSWFFile_FWS_Format(fakes.files, movie, "C:\\work\\other.swf"), -404);
}

TEST_F(SwfReaderTest, TheWalkSkipsLongAndShortTagsToTheBackgroundColour) {
  MovieImage image;
  image.rectangleFirstByte = 0xF8;  // 31-bit fields: a 17-byte rectangle
  image.tag(69, "\x01\x00\x00\x00").tag(2, std::string(5000, 'x'));
  image.tags += MovieImage::longTag(8, 3, "abc");  // the long form with a short body
  image.tag(0, "").background(0, 0, 0);            // an end tag does not end the walk
  EXPECT_EQ(read(image.uncompressed()), 0);
  EXPECT_EQ(read(image.compressed()), 0);
}

TEST_F(SwfReaderTest, DamagedMoviesRaiseErrors) {
  MovieImage noBackground;
  noBackground.tag(1, "").tag(0, "");
  expectRaised(noBackground.uncompressed(), "Stream read error");
  expectRaised(noBackground.compressed(), "Stream read error");
  expectRaised("FW", "Stream read error");  // shorter than the signature
  expectRaised("FWS\x08\x10", "Stream read error");  // shorter than the header

  MovieImage hostile;
  hostile.tags = MovieImage::longTag(2, 0x80000000u, "");
  expectRaised(hostile.uncompressed(), "Range check error");
  // The largest length allowed is skipped in blocks: the file simply ends first.
  hostile.tags = MovieImage::longTag(2, 0x7FFFFFFFu, std::string(100, 'y'));
  expectRaised(hostile.uncompressed(), "Stream read error");

  MovieImage image;
  image.background(1, 2, 3);
  std::string broken = image.compressed();
  broken[9] = static_cast<char>(broken[9] ^ 0x55);  // the zlib header's check fails
  expectRaised(broken, "Zlib: data error");
  // A stream that merely ends early is expanded as far as it goes; the walk finds the gap.
  MovieImage late;
  late.tag(2, std::string(3000, 'z')).background(4, 5, 6);
  const std::string whole = late.compressed();
  EXPECT_EQ(read(whole), 0);
  expectRaised(whole.substr(0, whole.size() - 6), "Stream read error");

  fakes.files.readErrors[kMovie] = 23;
  expectRaised(image.uncompressed(), "I/O error 23");
}

TEST_F(SwfReaderTest, TheExpandedCopyKeepsTheHeaderAndTheFolderIsReused) {
  MovieImage image;
  image.version = 10;
  image.background(0xAA, 0xBB, 0xCC);
  ASSERT_EQ(read(image.compressed()), 0);
  EXPECT_EQ(movie.tempFolder, kPanelFolder);
  EXPECT_EQ(fakes.files.contents(kPanelFolder + "unCompressedSWF.swf"), image.uncompressed());
  EXPECT_EQ(fakes.files.contents(kPanelFolder + "compressedSWFSegment.swf"), image.compressed().substr(8));

  MovieImage second;
  second.version = 6;
  second.tag(43, "label").background(1, 1, 1);
  ASSERT_EQ(read(second.compressed()), 0);
  EXPECT_EQ(movie.tempFolder, kPanelFolder);
  EXPECT_EQ(fakes.files.contents(kPanelFolder + "unCompressedSWF.swf"), second.uncompressed());
  EXPECT_FALSE(fakes.files.exists(kLocal + "Vantrel\\FlashPanel2"));
}

TEST_F(SwfReaderTest, AMissingMovieReadsNothingButTheFolderIsMade) {
  movie.swfFilename = "C:\\work\\gone.swf";
  movie.formatSignature = "CWS";
  EXPECT_EQ(readSWFFileFormatType(fakes.files, movie), 0);
  EXPECT_EQ(movie.formatSignature, "CWS");
  EXPECT_EQ(inflateSWFFileToTempFile(fakes.files, fakes.system, movie), 0);
  EXPECT_EQ(fakes.files.pathsUnder(kPanelFolder), std::vector<std::string>{});
  EXPECT_TRUE(fakes.files.exists(kPanelFolder));
  movie.swfVersion = 9;
  EXPECT_EQ(readSWFFile_FWS_Format(fakes.files, movie, movie.swfFilename), 0);
  EXPECT_EQ(movie.swfVersion, 0);

  // No free folder number: the system's code, and nothing is written.
  MovieFileState crowded;
  crowded.swfFilename = kMovie;
  for (int number = 1; number <= 1000; ++number) fakes.files.addFolder(kLocal + "Vantrel\\FlashPanel" + std::to_string(number));
  EXPECT_NE(inflateSWFFileToTempFile(fakes.files, fakes.system, crowded), 0);
  EXPECT_EQ(crowded.tempFolder, "");
}

TEST_F(SwfReaderTest, AMovieMadeElsewhereExpandsToItsDeclaredLength) {
  std::ifstream file(std::string(SAVERKIT_FIXTURES) + "/movies/expressInstall.swf", std::ios::binary);
  const std::string bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  ASSERT_EQ(bytes.substr(0, 3), "CWS");
  EXPECT_EQ(read(bytes), 0);
  EXPECT_EQ(movie.swfVersion, 6);
  const auto expanded = fakes.files.contents(kPanelFolder + "unCompressedSWF.swf");
  ASSERT_TRUE(expanded);
  EXPECT_EQ(expanded->size(), 1331u);  // the length its header declares
  EXPECT_EQ(expanded->substr(0, 8), "FWS" + bytes.substr(3, 5));
}

// A movie with `declared` in its header's length field.
std::string declaring(std::string movie, std::uint32_t declared) {
  for (int i = 0; i < 4; ++i) movie[4 + i] = static_cast<char>((declared >> (8 * i)) & 0xFF);
  return movie;
}

// A compressed movie declaring 4 GiB whose body is the frame header, one tag of `filler` zero
// bytes and the background colour: `filler` + 32 bytes expanded. The body is deflated in pieces,
// so a large one never sits in memory whole.
std::string hugeCompressedMovie(std::uint64_t filler) {
  MovieImage image;
  image.tags = MovieImage::longTag(2, static_cast<std::uint32_t>(filler), "");
  const std::string before = image.body();
  const std::string after = MovieImage::shortTag(9, "\x01\x02\x03");
  z_stream stream{};
  deflateInit(&stream, 1);
  std::string packed;
  std::vector<Bytef> out(1 << 16);
  const std::string zeros(1 << 16, '\0');
  const auto feed = [&](const std::string& piece, int flush) {
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(piece.data()));
    stream.avail_in = static_cast<uInt>(piece.size());
    do {
      stream.next_out = out.data();
      stream.avail_out = static_cast<uInt>(out.size());
      deflate(&stream, flush);
      packed.append(reinterpret_cast<const char*>(out.data()), out.size() - stream.avail_out);
    } while (stream.avail_out == 0);
  };
  feed(before, Z_NO_FLUSH);
  for (std::uint64_t left = filler; left > 0;) {
    const std::size_t part = static_cast<std::size_t>(std::min<std::uint64_t>(left, zeros.size()));
    feed(zeros.substr(0, part), Z_NO_FLUSH);
    left -= part;
  }
  feed(after, Z_FINISH);
  deflateEnd(&stream);
  return declaring(image.header("CWS"), 0xFFFFFFFFu) + packed;
}

TEST_F(SwfReaderTest, ExpansionStopsAtTheDeclaredLength) {
  MovieImage image;
  image.tag(2, std::string(3000, 'z')).background(4, 5, 6);
  const std::string honest = image.compressed();
  const std::uint32_t length = static_cast<std::uint32_t>(image.uncompressed().size());
  EXPECT_EQ(read(honest), 0);
  EXPECT_EQ(fakes.files.contents(kPanelFolder + kUncompressedMovieName), image.uncompressed());
  // Declaring more than the stream holds is harmless: the copy ends where the stream does.
  EXPECT_EQ(read(declaring(honest, length + 1)), 0);
  EXPECT_EQ(fakes.files.contents(kPanelFolder + kUncompressedMovieName)->size(), length);

  const std::string message = "Zlib: the movie expands beyond its declared length";
  expectRaised(declaring(honest, length - 1), message);
  expectRaised(declaring(honest, 8), message);  // a header and nothing else
  expectRaised(declaring(honest, 0), message);
}

TEST_F(SwfReaderTest, ExpansionStopsAtTheCeilingWhateverTheHeaderDeclares) {
  EXPECT_EQ(read(hugeCompressedMovie(kLargestExpandedMovie - 32)), 0);
  EXPECT_EQ(fakes.files.contents(kPanelFolder + kUncompressedMovieName)->size(), kLargestExpandedMovie);
  expectRaised(hugeCompressedMovie(kLargestExpandedMovie - 31), "Zlib: the movie expands beyond 64 MiB");
}

TEST(BackgroundColorTag, CodeAndShortLengthFromTheHeader) {
  std::uint32_t length = 99;
  const std::uint8_t background[2] = {0x43, 0x02};  // code 9, length 3
  EXPECT_TRUE(isBackgroundColorTag(background, length));
  EXPECT_EQ(length, 3u);
  const std::uint8_t longShowFrame[2] = {0x7F, 0x00};  // code 1, length 63
  EXPECT_FALSE(isBackgroundColorTag(longShowFrame, length));
  EXPECT_EQ(length, 63u);
}

}  // namespace
}  // namespace saverkit
