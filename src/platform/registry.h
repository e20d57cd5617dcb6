// The registry, as the installer uses it: string values under keys it creates with full access.
#pragma once

#include <memory>
#include <optional>
#include <string>

namespace saverkit {

enum class RegistryRoot { kLocalMachine, kCurrentUser, kClassesRoot };

class RegistryKey {
 public:
  virtual ~RegistryKey() = default;
  virtual bool setString(const std::string& name, const std::string& value) = 0;
  virtual bool deleteValue(const std::string& name) = 0;
  virtual std::optional<std::string> readString(const std::string& name) = 0;
};

class Registry {
 public:
  virtual ~Registry() = default;
  // Opens the key with full access, creating it (non-volatile) when `create` is set. Nothing
  // when it cannot be opened or created.
  virtual std::unique_ptr<RegistryKey> openKey(RegistryRoot root, const std::string& path,
                                               bool create) = 0;
  // Deletes the key with everything under it.
  virtual bool deleteKeyTree(RegistryRoot root, const std::string& path) = 0;
};

}  // namespace saverkit
