// System information, registry and shell through Win32.
#pragma once

#include "platform/library_loader.h"
#include "platform/registry.h"
#include "platform/shell.h"
#include "platform/system_info.h"

namespace saverkit::win32 {

class Win32SystemInfo : public SystemInfo {
 public:
  std::optional<VersionRecord> readVersion() override;
  Wow64Answer queryWow64() override;
  std::string systemDirectory() override;
  SpecialFolderAnswer specialFolderLocation(int folder) override;
  std::optional<std::string> folderPath(int folder) override;
  std::optional<std::string> shortPath(const std::string& path) override;
  std::optional<FileVersionWords> fileVersion(const std::string& path) override;
  CodePage ansiCodePage() override;
};

class Win32Registry : public Registry {
 public:
  std::unique_ptr<RegistryKey> openKey(RegistryRoot root, const std::string& path,
                                       bool create) override;
  bool deleteKeyTree(RegistryRoot root, const std::string& path) override;
};

class Win32LibraryLoader : public LibraryLoader {
 public:
  std::unique_ptr<LoadedLibrary> load(const std::string& path, Status& error) override;
};

class Win32Shell : public Shell {
 public:
  void openDocument(WindowHandle owner, const std::string& path) override;
  int startHidden(WindowHandle owner, const std::string& path,
                  const std::string& parameters) override;
};

}  // namespace saverkit::win32
