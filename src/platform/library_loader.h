// Loading a library at run time and finding its exports by name: how the installer binds the
// implode library it carries.
#pragma once

#include <memory>
#include <string>

#include "common/status.h"

namespace saverkit {

class LoadedLibrary {
 public:
  virtual ~LoadedLibrary() = default;  // unloads the library
  // The export's address, or nullptr.
  virtual void* symbol(const std::string& name) = 0;
};

class LibraryLoader {
 public:
  virtual ~LibraryLoader() = default;
  // Loads by full path (any file name, a ".dat" too). Nothing, with the system's code in
  // `error`, when it cannot be loaded.
  virtual std::unique_ptr<LoadedLibrary> load(const std::string& path, Status& error) = 0;
};

}  // namespace saverkit
