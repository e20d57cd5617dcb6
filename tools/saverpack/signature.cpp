// Signatures; see the header.
#include "signature.h"

#include <array>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <random>
#include <vector>

#ifdef _WIN32
#include <direct.h>
#else
#include <sys/stat.h>
#endif

#include "messages.h"
#include "tool_error.h"

#ifdef _WIN32
#define popen _popen
#define pclose _pclose
#endif

namespace saverpack {
namespace {

namespace fs = std::filesystem;

constexpr const char* kSigningTool = "osslsigncode";
constexpr const char* kMissingToolAdvice =
    "osslsigncode is not installed: it signs and checks installers (Debian: apt-get install osslsigncode)";

std::uint32_t read32(const Bytes& file, std::size_t at) {
  return file[at] | (file[at + 1] << 8) | (file[at + 2] << 16) | (std::uint32_t(file[at + 3]) << 24);
}
std::uint16_t read16(const Bytes& file, std::size_t at) { return std::uint16_t(file[at] | (file[at + 1] << 8)); }

// One argument for the shell that runs osslsigncode.
std::string quoted(const std::string& text) {
#ifdef _WIN32
  return "\"" + text + "\"";
#else
  std::string out = "'";
  for (const char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
#endif
}

struct Run {
  int status = -1;
  std::string output;
};

Run runTool(const std::string& arguments) {
  Run run;
  const std::string command = std::string(kSigningTool) + " " + arguments + " 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return run;
  std::array<char, 4096> buffer{};
  while (const std::size_t got = std::fread(buffer.data(), 1, buffer.size(), pipe)) run.output.append(buffer.data(), got);
  run.status = pclose(pipe);
  return run;
}

bool toolAvailable() {
  const Run run = runTool("--version");
  return run.status == 0 && run.output.find(kSigningTool) != std::string::npos;
}

std::vector<std::string> linesOf(const std::string& output) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < output.size()) {
    std::size_t end = output.find('\n', start);
    if (end == std::string::npos) end = output.size();
    std::string line = output.substr(start, end - start);
    while (!line.empty() && (line.back() == ' ' || line.back() == '\r')) line.pop_back();
    lines.push_back(std::move(line));
    start = end + 1;
  }
  return lines;
}

// The value of a line osslsigncode writes as "<label>   : <value>" from the line's first column.
// Certificate text stands indented, with line breaks escaped, so it never makes such a line.
std::optional<std::string> fieldValue(const std::string& line, const std::string& label) {
  if (line.compare(0, label.size(), label) != 0) return std::nullopt;
  std::size_t at = line.find_first_not_of(' ', label.size());
  if (at == std::string::npos || line[at] != ':') return std::nullopt;
  at = line.find_first_not_of(' ', at + 1);
  return at == std::string::npos ? std::string() : line.substr(at);
}

// The signing certificate's subject: the first "Subject:" line, indentation aside.
std::string signerOf(const std::vector<std::string>& lines) {
  for (const std::string& line : lines) {
    const std::size_t at = line.find_first_not_of("\t ");
    if (at == std::string::npos) continue;
    if (auto subject = fieldValue(line.substr(at), "Subject")) return *subject;
  }
  return {};
}

enum class DigestVerdict { kUnreadable, kMatches, kChanged };

// osslsigncode prints the digest stored in each signature and the one it calculated over the
// file. The file matches only when there is at least one such pair and every pair agrees.
DigestVerdict compareDigests(const std::vector<std::string>& lines) {
  std::vector<std::string> stored;
  std::vector<std::string> calculated;
  for (const std::string& line : lines) {
    if (auto value = fieldValue(line, "Current message digest")) stored.push_back(*value);
    if (auto value = fieldValue(line, "Calculated message digest")) calculated.push_back(*value);
  }
  if (stored.empty() || stored.size() != calculated.size()) return DigestVerdict::kUnreadable;
  for (std::size_t i = 0; i < stored.size(); ++i) {
    if (stored[i].empty() || calculated[i].empty()) return DigestVerdict::kUnreadable;
    if (stored[i] != calculated[i]) return DigestVerdict::kChanged;
  }
  return DigestVerdict::kMatches;
}

// The chain is trusted when osslsigncode says so with its exit status, and its closing verdict
// lines, each read whole, all say "ok". A certificate's own text counts for nothing.
bool chainVerified(const Run& run, const std::vector<std::string>& lines) {
  if (run.status != 0) return false;
  bool verified = false;
  for (const std::string& line : lines) {
    if (auto verdict = fieldValue(line, "Signature verification")) {
      if (*verdict != "ok") return false;
      verified = true;
    }
  }
  return verified;
}

// A folder beside `output` with a name nobody can guess, made by this run alone (never one that
// already exists), so nothing can have been placed where osslsigncode writes.
fs::path makeSigningFolder(const std::string& output) {
  const fs::path parent = pathFromUtf8(output).parent_path();
  std::random_device entropy;
  for (int attempt = 0; attempt < 8; ++attempt) {
    char name[48];
    std::snprintf(name, sizeof name, ".saverpack-signing-%08x%08x", unsigned(entropy()), unsigned(entropy()));
    const fs::path folder = parent / name;
#ifdef _WIN32
    const int made = _wmkdir(folder.c_str());
#else
    const int made = ::mkdir(folder.c_str(), 0700);
#endif
    if (made == 0) return folder;
    if (errno != EEXIST) {
      throw ioError("cannot write \"" + output + "\": cannot create a folder beside it: " + std::strerror(errno));
    }
  }
  throw ioError("cannot write \"" + output + "\": no unused temporary folder name beside it");
}

}  // namespace

std::optional<CertificateTable> findCertificateTable(const Bytes& file) {
  if (file.size() < 0x40 || file[0] != 'M' || file[1] != 'Z') return std::nullopt;
  // Offsets are added in 64 bits: a hostile header offset near 4 GiB must not wrap around in the
  // 32-bit saverpack.exe and pass the size check.
  const std::uint64_t header = read32(file, 0x3C);
  if (header + 24 + 96 + 5 * 8 > file.size() || read32(file, std::size_t(header)) != 0x00004550) return std::nullopt;
  const std::size_t optional = std::size_t(header) + 24;
  const std::uint16_t magic = read16(file, optional);
  const std::size_t directories = optional + (magic == 0x20B ? 112 : 96);
  const std::size_t count = read32(file, directories - 4);
  if (count <= 4 || std::uint64_t(directories) + 5 * 8 > file.size()) return std::nullopt;
  const CertificateTable table{read32(file, directories + 4 * 8), read32(file, directories + 4 * 8 + 4)};
  if (table.offset == 0 || table.size == 0) return std::nullopt;
  return table;
}

SignatureReport inspectSignature(const std::string& path, const Bytes& file, std::uint64_t packageEnd,
                                 const std::string& caFile) {
  SignatureReport report;
  const auto table = findCertificateTable(file);
  if (!table) return report;
  report.state = SignatureReport::State::kBroken;
  if (table->offset < packageEnd || table->offset + table->size != file.size()) {
    report.detail = "its certificate table does not lie after the package, at the end of the file";
    return report;
  }
  if (!toolAvailable()) {
    report.state = SignatureReport::State::kUnchecked;
    report.detail = kMissingToolAdvice;
    return report;
  }
  const Run run = runTool("verify " + (caFile.empty() ? std::string() : "-CAfile " + quoted(caFile) + " ") +
                          "-in " + quoted(path));
  const std::vector<std::string> lines = linesOf(run.output);
  report.signer = signerOf(lines);
  const DigestVerdict digests = compareDigests(lines);
  if (digests != DigestVerdict::kMatches) {
    report.detail = digests == DigestVerdict::kUnreadable
                        ? "the signature cannot be read"
                        : "the file was changed after it was signed (its digest no longer matches)";
    return report;
  }
  report.state = SignatureReport::State::kGood;
  // Without a CA file osslsigncode judges the chain against the system's store and fails a
  // self-signed certificate, so only a run with the author's CA file decides trust.
  report.chainTrusted = !caFile.empty() && chainVerified(run, lines);
  report.detail = caFile.empty() ? "the certificate's trust was not checked (pass --ca FILE)"
                  : report.chainTrusted ? "the certificate chain is trusted by the given CA file"
                                        : "the certificate chain is not trusted by the given CA file";
  return report;
}

std::string describe(const SignatureReport& report) {
  switch (report.state) {
    case SignatureReport::State::kUnsigned: return "not signed";
    case SignatureReport::State::kGood:
      return "signed by " + report.signer + "; the file matches its signature; " + report.detail;
    case SignatureReport::State::kBroken: return "DOES NOT VERIFY: " + report.detail;
    case SignatureReport::State::kUnchecked: return "signed, but not checked: " + report.detail;
  }
  return {};
}

void signInstaller(const SigningRequest& request) {
  std::string lowered = fs::path(request.certificate).extension().string();
  for (char& c : lowered) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  const bool bundle = lowered == ".p12" || lowered == ".pfx";
  if (!bundle && request.key.empty()) {
    throw usageError("--key is needed with a PEM certificate (or give a PKCS#12 bundle, .p12 or .pfx, as --cert)");
  }
  if (!toolAvailable()) throw ioError(kMissingToolAdvice);
  const fs::path folder = makeSigningFolder(request.output);
  const fs::path partial = folder / "signed.exe";
  std::string arguments = "sign ";
  arguments += bundle ? "-pkcs12 " + quoted(request.certificate) + " "
                      : "-certs " + quoted(request.certificate) + " -key " + quoted(request.key) + " ";
  if (!request.passFile.empty()) arguments += "-readpass " + quoted(request.passFile) + " ";
  if (!request.timestampUrl.empty()) arguments += "-t " + quoted(request.timestampUrl) + " ";
  arguments += "-in " + quoted(request.input) + " -out " + quoted(pathToUtf8(partial));
  const Run run = runTool(arguments);
  std::error_code error;
  if (run.status != 0 || !fs::exists(partial, error)) {
    fs::remove_all(folder, error);
    std::string reason = run.output;
    while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r')) reason.pop_back();
    throw ioError("signing \"" + request.input + "\" failed: " + reason);
  }
  fs::rename(partial, pathFromUtf8(request.output), error);
  const std::error_code renamed = error;
  fs::remove_all(folder, error);
  if (renamed) throw ioError("cannot write \"" + request.output + "\": " + renamed.message());
}

}  // namespace saverpack
