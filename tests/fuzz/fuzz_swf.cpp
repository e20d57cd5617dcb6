// Fuzzes the movie reader the way the movie panel uses it: signature, expansion of a compressed
// movie, and the walk over the (expanded) movie's tags. Damage may only ever be raised as the
// project's error; nothing may crash, hang or allocate what the movie merely declares.
#include <cstddef>
#include <cstdint>
#include <string>

#include "common/saverkit_error.h"
#include "flash/swf_reader.h"
#include "installer/fake/fake_platform.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace saverkit;
  fake::FakePlatform fakes;
  fakes.files.addFolder("C:\\Documents and Settings\\user\\Local Settings\\Application Data");
  MovieFileState movie;
  movie.swfFilename = "C:\\work\\intro.swf";
  fakes.files.addFile(movie.swfFilename, std::string(reinterpret_cast<const char*>(data), size));
  try {
    if (readSWFFileFormatType(fakes.files, movie) != 0) return 0;
    if (movie.formatSignature == "CWS") {
      if (inflateSWFFileToTempFile(fakes.files, fakes.system, movie) != 0) return 0;
      readSWFFile_FWS_Format(fakes.files, movie, movie.tempFolder + kUncompressedMovieName);
    } else {
      readSWFFile_FWS_Format(fakes.files, movie, movie.swfFilename);
    }
  } catch (const SaverkitError&) {
  }
  return 0;
}
