// System information, registry and library loading through Win32; the shell is win32_shell.h.
#pragma once

#include "platform/library_loader.h"
#include "platform/registry.h"
#include "platform/system_info.h"

namespace saverkit::win32 {

class Win32SystemInfo : public SystemInfo {
 public:
  std::optional<VersionRecord> readVersion() override;
  Wow64Answer queryWow64() override;
  std::string systemDirectory() override;
  std::string windowsDirectory() override;
  SpecialFolderAnswer specialFolderLocation(int folder) override;
  std::optional<std::string> folderPath(int folder) override;
  std::optional<std::string> defaultFolderPath(int folder) override;
  std::optional<std::string> shortPath(const std::string& path) override;
  std::optional<FileVersionWords> fileVersion(const std::string& path) override;
  CodePage ansiCodePage() override;
};

class Win32Registry : public Registry {
 public:
  std::unique_ptr<RegistryKey> openKey(RegistryRoot root, const std::string& path,
                                       KeyAccess access) override;
  bool deleteKeyTree(RegistryRoot root, const std::string& path) override;
};

class Win32LibraryLoader : public LibraryLoader {
 public:
  std::unique_ptr<LoadedLibrary> load(const std::string& path, Status& error) override;
};

}  // namespace saverkit::win32
