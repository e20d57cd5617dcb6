// Signatures; see the header.
#include "signature.h"

#include <array>
#include <cstdio>
#include <filesystem>
#include <sstream>

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

// The value after "label" on its line, trimmed; empty when there is none.
std::string valueAfter(const std::string& output, const std::string& label) {
  const std::size_t at = output.find(label);
  if (at == std::string::npos) return {};
  std::size_t start = at + label.size();
  const std::size_t end = output.find('\n', start);
  std::string value = output.substr(start, end == std::string::npos ? std::string::npos : end - start);
  while (!value.empty() && (value.front() == ' ' || value.front() == ':')) value.erase(value.begin());
  while (!value.empty() && (value.back() == ' ' || value.back() == '\r')) value.pop_back();
  return value;
}

}  // namespace

std::optional<CertificateTable> findCertificateTable(const Bytes& file) {
  if (file.size() < 0x40 || file[0] != 'M' || file[1] != 'Z') return std::nullopt;
  const std::size_t header = read32(file, 0x3C);
  if (header + 24 + 96 + 5 * 8 > file.size() || read32(file, header) != 0x00004550) return std::nullopt;
  const std::size_t optional = header + 24;
  const std::uint16_t magic = read16(file, optional);
  const std::size_t directories = optional + (magic == 0x20B ? 112 : 96);
  const std::size_t count = read32(file, directories - 4);
  if (count <= 4 || directories + 5 * 8 > file.size()) return std::nullopt;
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
  report.signer = valueAfter(run.output, "Subject:");
  const std::string current = valueAfter(run.output, "Current message digest");
  const std::string calculated = valueAfter(run.output, "Calculated message digest");
  if (current.empty() || current != calculated) {
    report.detail = current.empty() ? "the signature cannot be read"
                                    : "the file was changed after it was signed (its digest no longer matches)";
    return report;
  }
  report.state = SignatureReport::State::kGood;
  report.chainTrusted = !caFile.empty() && run.output.find("Signature verification: ok") != std::string::npos;
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
  const std::string partial = request.output + ".saverpack-partial";
  std::string arguments = "sign ";
  arguments += bundle ? "-pkcs12 " + quoted(request.certificate) + " "
                      : "-certs " + quoted(request.certificate) + " -key " + quoted(request.key) + " ";
  if (!request.passFile.empty()) arguments += "-readpass " + quoted(request.passFile) + " ";
  if (!request.timestampUrl.empty()) arguments += "-t " + quoted(request.timestampUrl) + " ";
  arguments += "-in " + quoted(request.input) + " -out " + quoted(partial);
  std::error_code error;
  fs::remove(fs::path(partial), error);
  const Run run = runTool(arguments);
  if (run.status != 0 || !fs::exists(fs::path(partial))) {
    fs::remove(fs::path(partial), error);
    std::string reason = run.output;
    while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r')) reason.pop_back();
    throw ioError("signing \"" + request.input + "\" failed: " + reason);
  }
  fs::rename(fs::path(partial), fs::path(request.output), error);
  if (error) {
    fs::remove(fs::path(partial), error);
    throw ioError("cannot write \"" + request.output + "\": " + error.message());
  }
}

}  // namespace saverpack
