// The package's binding to its stub. Every stub carries a small record in a section of its own
// image (".skbind"); saverpack fills it with the SHA-256 digest and the length of the package it
// appends. The record is part of what the loader maps and what an Authenticode signature
// covers, so the running stub compares the package it reads with the one the user started and
// consented to, however its file is changed or replaced meanwhile. A record left empty (a
// package appended by hand) binds nothing.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "common/sha256.h"

namespace saverkit {

inline constexpr std::size_t kBindingRecordSize = 48;
// The record: this marker, the package's length (little-endian, 64 bits), its digest.
inline constexpr std::array<std::uint8_t, 8> kBindingMarker = {'S', 'K', 'B', 'I', 'N', 'D', '0', '1'};
inline constexpr char kBindingSectionName[] = ".skbind";

struct PackageBinding {
  // The bytes after the stub that the digest covers: the whole package, up to (not including)
  // a certificate table that signing appends later.
  std::uint64_t packageLength = 0;
  Sha256Digest digest{};
};

// Nothing for an empty record (no length) or bytes without the marker.
std::optional<PackageBinding> decodeBinding(const std::uint8_t* record, std::size_t size);
std::array<std::uint8_t, kBindingRecordSize> encodeBinding(const PackageBinding& binding);

// Where the record lies in a stub's file: the start of its ".skbind" section's bytes, when the
// program headers are sound and the section holds the marker. Nothing for a stub without one.
std::optional<std::size_t> findBindingRecord(const std::uint8_t* stub, std::size_t size);

// What an installer file says of its binding, for saverpack's verify and inspect.
struct BindingCheck {
  bool hasPlace = false;                   // the stub has the record
  std::optional<PackageBinding> recorded;  // what the record holds, when it is filled in
  bool matches = false;                    // the file's package has the recorded digest
};
BindingCheck checkBinding(const std::uint8_t* installer, std::size_t size);

}  // namespace saverkit
