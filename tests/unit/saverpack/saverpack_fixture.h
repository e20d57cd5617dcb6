// What every saverpack test needs: a private temporary folder, small fixture files, a
// manifest to vary, and a way to run a command line and capture what it printed.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "file_io.h"

namespace saverpack::test {

using Json = nlohmann::ordered_json;

struct CliResult {
  int code = -1;
  std::string out;
  std::string err;
};

class SaverpackTest : public ::testing::Test {
 public:
  void SetUp() override;
  void TearDown() override;

  std::filesystem::path path(const std::string& relative) const { return dir_ / relative; }
  std::filesystem::path write(const std::string& relative, const Bytes& bytes) const;
  std::filesystem::path write(const std::string& relative, const std::string& text) const;

  // The stub, impborl.dll, an engine, a movie, a licence, a read-me and a content folder.
  void writeFixtureFiles() const;
  // A manifest using every fixture file; implode is switched on for some slots when asked.
  Json standardManifest(bool implode) const;
  std::filesystem::path writeManifest(const Json& manifest, const std::string& name = "manifest.json") const;

  CliResult run(const std::vector<std::string>& args) const;
  // The same as if saverpack itself lived in `programFolder`.
  CliResult runFrom(const std::filesystem::path& programFolder, const std::vector<std::string>& args) const;
  // Builds the standard package (or the given manifest) and returns the installer's bytes.
  Bytes build(const Json& manifest);

  std::filesystem::path dir_;
};

Bytes bytesOf(const std::string& text);
// Deterministic, poorly compressible bytes.
// A minimal PE32 header whose security directory says where the certificate table is.
Bytes programWithTable(std::uint32_t offset, std::uint32_t size, std::size_t fileSize,
                       std::uint8_t directories = 16);

Bytes noise(std::size_t size, unsigned seed);

// The stub's program headers list one more section, ".skbind", holding the empty record that
// saverpack fills in with the package's digest.
void addBindingPlace(Bytes& stub);

}  // namespace saverpack::test
