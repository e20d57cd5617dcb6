// The registry, as the installer uses it: string values under keys it opens for no more than the
// caller will do with them. The installer runs with administrator rights: a key opened to be read
// must not be a key the installer could write.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace saverkit {

enum class RegistryRoot { kLocalMachine, kCurrentUser };

// What the caller means to do with a key.
enum class KeyAccess {
  kRead,    // read values; writes through the key fail
  kWrite,   // read, write and delete values of an existing key
  kCreate,  // as kWrite, creating the key (non-volatile) when it is missing
};

class RegistryKey {
 public:
  virtual ~RegistryKey() = default;
  virtual bool setString(const std::string& name, const std::string& value) = 0;
  // A text value given in UTF-8, stored as the system's wide text whatever the code page.
  virtual bool setUtf8String(const std::string& name, const std::string& value) = 0;
  virtual bool setNumber(const std::string& name, std::uint32_t value) = 0;
  virtual bool deleteValue(const std::string& name) = 0;
  virtual std::optional<std::string> readString(const std::string& name) = 0;
};

class Registry {
 public:
  virtual ~Registry() = default;
  // Opens the key with the access asked for. Nothing when it cannot be opened or created.
  virtual std::unique_ptr<RegistryKey> openKey(RegistryRoot root, const std::string& path,
                                               KeyAccess access) = 0;
  // Deletes the key with everything under it.
  virtual bool deleteKeyTree(RegistryRoot root, const std::string& path) = 0;
};

}  // namespace saverkit
