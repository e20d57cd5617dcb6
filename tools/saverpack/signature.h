// Authenticode signatures on installers. The signing itself is left to Debian's osslsigncode:
// an installer's signature (its certificate table) is appended after the package, where the
// stub never looks, so signing changes nothing the installer reads. saverpack finds the table
// itself and asks osslsigncode whether the file still matches it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "file_io.h"

namespace saverpack {

// Where the program header says the certificate table is (file offset and length).
struct CertificateTable {
  std::uint64_t offset = 0;
  std::uint64_t size = 0;
};
std::optional<CertificateTable> findCertificateTable(const Bytes& file);

// A subject as osslsigncode prints it, with every byte outside ASCII written as "\xHH", made
// readable: escapes that spell whole UTF-8 characters become those characters. Control
// characters, characters that hide or reorder text, and anything that is not UTF-8 stay escaped.
std::string readableSubject(const std::string& escaped);

struct SignatureReport {
  enum class State { kUnsigned, kGood, kBroken, kUnchecked };
  State state = State::kUnsigned;
  std::string signer;       // the signing certificate's subject
  std::string detail;       // why it is broken or unchecked, or how far it was checked
  bool chainTrusted = false;  // only judged when a CA file was given
};

// The signature of `path` (whose bytes are `file`): none, good, broken, or present but not
// checkable here (osslsigncode missing). `packageEnd` is where the last slot ends: a table
// before it would overlap the package. `caFile` (may be empty) also checks the chain.
SignatureReport inspectSignature(const std::string& path, const Bytes& file, std::uint64_t packageEnd,
                                 const std::string& caFile);
std::string describe(const SignatureReport& report);

struct SigningRequest {
  std::string input;
  std::string output;  // may equal input: replaced only when signing succeeded
  std::string certificate;  // PEM certificate, or a PKCS#12 bundle (.p12, .pfx)
  std::string key;          // PEM key; empty with a PKCS#12 bundle
  std::string passFile;     // the key's or bundle's password, if any
  std::string timestampUrl;
};
// Throws ToolError: kUsage for a missing key, kIo when osslsigncode is missing or fails.
void signInstaller(const SigningRequest& request);

}  // namespace saverpack
