// Signatures; see the header.
#include "signature.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdlib>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <random>
#include <vector>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <direct.h>
#include <windows.h>
#else
#include <sys/stat.h>

extern char** environ;
#endif

#include "child_process.h"

#include "messages.h"
#include "tool_error.h"


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

struct Run {
  int status = -1;
  std::string output;
};

// osslsigncode's full path (never one in the current folder), started without a shell.
fs::path findTool() {
#ifdef _WIN32
  return findOnPath(L"osslsigncode.exe");
#else
  return findOnPath(kSigningTool);
#endif
}

#ifdef _WIN32
// One argument as the C runtime of the started program splits its command line.
std::wstring commandLineArgument(const std::wstring& text) {
  std::wstring out = L"\"";
  std::size_t backslashes = 0;
  for (const wchar_t c : text) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    out.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    backslashes = 0;
    out += c;
  }
  out.append(backslashes * 2, L'\\');
  return out + L"\"";
}

Run runTool(const std::vector<std::string>& arguments) {
  Run run;
  const fs::path tool = findTool();
  if (tool.empty()) return run;
  std::wstring line = commandLineArgument(tool.wstring());
  for (const std::string& argument : arguments) line += L" " + commandLineArgument(pathFromUtf8(argument).wstring());
  SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
  HANDLE reading = nullptr;
  HANDLE writing = nullptr;
  if (!::CreatePipe(&reading, &writing, &inherited, 0)) return run;
  ::SetHandleInformation(reading, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = nullptr;
  startup.hStdOutput = startup.hStdError = writing;
  PROCESS_INFORMATION process{};
  const BOOL started = ::CreateProcessW(tool.c_str(), line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                                        nullptr, &startup, &process);
  ::CloseHandle(writing);
  if (started) {
    char buffer[4096];
    DWORD got = 0;
    while (::ReadFile(reading, buffer, sizeof buffer, &got, nullptr) && got > 0) run.output.append(buffer, got);
    ::WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 1;
    ::GetExitCodeProcess(process.hProcess, &code);
    run.status = int(code);
    ::CloseHandle(process.hProcess);
    ::CloseHandle(process.hThread);
  }
  ::CloseHandle(reading);
  return run;
}
#else
Run runTool(const std::vector<std::string>& arguments) {
  Run run;
  const fs::path tool = findTool();
  if (tool.empty()) return run;
  // osslsigncode gets our whole environment: a time-stamp server may need the proxy settings.
  std::vector<std::string> environment;
  for (char** entry = environ; *entry != nullptr; ++entry) environment.emplace_back(*entry);
  const ProgramResult result = runProgram(tool, arguments, environment, std::chrono::hours(1), true);
  run.status = result.exitCode;
  run.output = result.output;
  return run;
}
#endif

bool toolAvailable() {
  const Run run = runTool({"--version"});
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
    if (auto subject = fieldValue(line.substr(at), "Subject")) return readableSubject(*subject);
  }
  return {};
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// The byte of a "\xHH" escape at `at`, or -1.
int escapedByte(const std::string& text, std::size_t at) {
  if (at + 4 > text.size() || text[at] != '\\' || text[at + 1] != 'x') return -1;
  const int high = hexDigit(text[at + 2]);
  const int low = hexDigit(text[at + 3]);
  return high < 0 || low < 0 ? -1 : high * 16 + low;
}

// Characters that would hide or reorder what the reader sees: C1 controls, zero-width and
// direction marks, direction overrides and isolates.
bool misleadingCharacter(std::uint32_t code) {
  return (code >= 0x80 && code <= 0x9F) || (code >= 0x200B && code <= 0x200F) || (code >= 0x202A && code <= 0x202E) ||
         (code >= 0x2066 && code <= 0x2069) || code == 0xFEFF;
}

// The length of the UTF-8 character whose escaped bytes start at `at`, decoded into `out`;
// 0 when they are no whole, shortest-form character that may be shown.
std::size_t decodeEscapedCharacter(const std::string& text, std::size_t at, std::string& out) {
  const int lead = escapedByte(text, at);
  const int length = lead >= 0xF0 && lead <= 0xF4 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 && lead <= 0xDF ? 2 : 0;
  if (length == 0 || lead > 0xF4) return 0;
  std::uint32_t code = std::uint32_t(lead) & (0x7F >> length);
  std::string bytes(1, char(lead));
  for (int i = 1; i < length; ++i) {
    const int next = escapedByte(text, at + 4 * std::size_t(i));
    if (next < 0x80 || next > 0xBF) return 0;
    code = code << 6 | (std::uint32_t(next) & 0x3F);
    bytes += char(next);
  }
  const std::uint32_t smallest = length == 2 ? 0x80 : length == 3 ? 0x800 : 0x10000;
  if (code < smallest || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF) || misleadingCharacter(code)) return 0;
  out += bytes;
  return 4 * std::size_t(length);
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

std::string readableSubject(const std::string& escaped) {
  std::string text;
  for (std::size_t at = 0; at < escaped.size();) {
    const std::size_t used = decodeEscapedCharacter(escaped, at, text);
    if (used == 0) text += escaped[at++];
    at += used;
  }
  return text;
}

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
  std::vector<std::string> arguments = {"verify"};
  if (!caFile.empty()) arguments.insert(arguments.end(), {"-CAfile", caFile});
  arguments.insert(arguments.end(), {"-in", path});
  const Run run = runTool(arguments);
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
  std::vector<std::string> arguments = {"sign"};
  if (bundle) {
    arguments.insert(arguments.end(), {"-pkcs12", request.certificate});
  } else {
    arguments.insert(arguments.end(), {"-certs", request.certificate, "-key", request.key});
  }
  if (!request.passFile.empty()) arguments.insert(arguments.end(), {"-readpass", request.passFile});
  if (!request.timestampUrl.empty()) arguments.insert(arguments.end(), {"-t", request.timestampUrl});
  arguments.insert(arguments.end(), {"-in", request.input, "-out", pathToUtf8(partial)});
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
