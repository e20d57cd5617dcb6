// System information, registry and library loading; see the header.
#include "platform/win32/win32_system.h"

#include <shlobj.h>

#include <vector>

#include "platform/win32/system_library.h"
#include "platform/win32/unique_handle.h"

namespace saverkit::win32 {

std::optional<VersionRecord> Win32SystemInfo::readVersion() {
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof info;  // the 148-byte ANSI record
  if (!::GetVersionExA(&info)) return std::nullopt;
  return VersionRecord{info.dwMajorVersion, info.dwMinorVersion, info.dwBuildNumber,
                       info.dwPlatformId, info.szCSDVersion};
}

Wow64Answer Win32SystemInfo::queryWow64() {
  using IsWow64ProcessFunction = BOOL(WINAPI*)(HANDLE, PBOOL);
  const auto isWow64Process = reinterpret_cast<IsWow64ProcessFunction>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("kernel32"), "IsWow64Process")));
  if (!isWow64Process) return Wow64Answer::kNoSuchFunction;
  BOOL wow64 = FALSE;
  if (!isWow64Process(::GetCurrentProcess(), &wow64)) return Wow64Answer::kCallFailed;
  return wow64 ? Wow64Answer::kYes : Wow64Answer::kNo;
}

std::string Win32SystemInfo::systemDirectory() {
  char buffer[301];
  const UINT length = ::GetSystemDirectoryA(buffer, sizeof buffer);
  return length > 0 && length < sizeof buffer ? std::string(buffer, length) : std::string();
}

std::string Win32SystemInfo::windowsDirectory() {
  // The shared Windows folder: GetWindowsDirectory gives a private one per user on a terminal
  // server, which is not where the system's files are.
  char buffer[301];
  const UINT length = ::GetSystemWindowsDirectoryA(buffer, sizeof buffer);
  return length > 0 && length < sizeof buffer ? std::string(buffer, length) : std::string();
}

SpecialFolderAnswer Win32SystemInfo::specialFolderLocation(int folder) {
  LPITEMIDLIST items = nullptr;
  const HRESULT result = ::SHGetSpecialFolderLocation(nullptr, folder, &items);
  if (FAILED(result)) return {false, std::nullopt};
  SpecialFolderAnswer answer{true, std::nullopt};
  if (items) {
    char path[MAX_PATH];
    if (::SHGetPathFromIDListA(items, path)) answer.path = path;
    ::CoTaskMemFree(items);  // the shell's allocator
  }
  return answer;
}

std::optional<std::string> Win32SystemInfo::folderPath(int folder) {
  char path[MAX_PATH];
  if (FAILED(::SHGetFolderPathA(nullptr, folder, nullptr, 0, path))) return std::nullopt;
  return std::string(path);
}

std::optional<std::string> Win32SystemInfo::defaultFolderPath(int folder) {
  char path[MAX_PATH];
  if (FAILED(::SHGetFolderPathA(nullptr, folder, nullptr, SHGFP_TYPE_DEFAULT, path))) return std::nullopt;
  return std::string(path);
}

std::optional<std::string> Win32SystemInfo::shortPath(const std::string& path) {
  char buffer[MAX_PATH];
  const DWORD length = ::GetShortPathNameA(path.c_str(), buffer, sizeof buffer);
  if (length == 0 || length >= sizeof buffer) return std::nullopt;
  return std::string(buffer, length);
}

std::optional<FileVersionWords> Win32SystemInfo::fileVersion(const std::string& path) {
  // version.dll is no library Windows protects: it comes from the system folder, never from
  // beside the installer, so it is not imported.
  using InfoSize = DWORD(WINAPI*)(LPCSTR, LPDWORD);
  using Info = BOOL(WINAPI*)(LPCSTR, DWORD, DWORD, LPVOID);
  using Query = BOOL(WINAPI*)(LPCVOID, LPCSTR, LPVOID*, PUINT);
  const auto infoSize = systemFunction<InfoSize>("version.dll", "GetFileVersionInfoSizeA");
  const auto info = systemFunction<Info>("version.dll", "GetFileVersionInfoA");
  const auto query = systemFunction<Query>("version.dll", "VerQueryValueA");
  if (!infoSize || !info || !query) return std::nullopt;
  DWORD ignored = 0;
  const DWORD size = infoSize(path.c_str(), &ignored);
  if (size == 0) return std::nullopt;
  std::vector<char> data(size);
  if (!info(path.c_str(), 0, size, data.data())) return std::nullopt;
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT fixedSize = 0;
  if (!query(data.data(), "\\", reinterpret_cast<void**>(&fixed), &fixedSize) || !fixed) {
    return std::nullopt;
  }
  return FileVersionWords{fixed->dwFileVersionMS, fixed->dwFileVersionLS};
}

CodePage Win32SystemInfo::ansiCodePage() {
  CodePage codePage;
  for (unsigned byte = 0x80; byte < 256; ++byte) {
    if (::IsDBCSLeadByte(static_cast<BYTE>(byte))) codePage.leadBytes.set(byte);
  }
  return codePage;
}

namespace {

HKEY rootKey(RegistryRoot root) {
  switch (root) {
    case RegistryRoot::kLocalMachine: return HKEY_LOCAL_MACHINE;
    case RegistryRoot::kCurrentUser: return HKEY_CURRENT_USER;
  }
  return HKEY_CURRENT_USER;
}

class Win32RegistryKey : public RegistryKey {
 public:
  explicit Win32RegistryKey(UniqueRegistryKey key) : key_(std::move(key)) {}
  bool setString(const std::string& name, const std::string& value) override {
    return ::RegSetValueExA(key_.get(), name.c_str(), 0, REG_SZ,
                            reinterpret_cast<const BYTE*>(value.c_str()),
                            static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
  }
  bool setUtf8String(const std::string& name, const std::string& value) override {
    const int length = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, value.c_str(), -1, nullptr, 0);
    const int nameLength = ::MultiByteToWideChar(CP_ACP, 0, name.c_str(), -1, nullptr, 0);
    if (length <= 0 || nameLength <= 0) return false;
    std::vector<WCHAR> wide(static_cast<std::size_t>(length)), wideName(static_cast<std::size_t>(nameLength));
    ::MultiByteToWideChar(CP_UTF8, 0, value.c_str(), -1, wide.data(), length);
    ::MultiByteToWideChar(CP_ACP, 0, name.c_str(), -1, wideName.data(), nameLength);
    return ::RegSetValueExW(key_.get(), wideName.data(), 0, REG_SZ, reinterpret_cast<const BYTE*>(wide.data()),
                            static_cast<DWORD>(wide.size() * sizeof(WCHAR))) == ERROR_SUCCESS;
  }
  bool setNumber(const std::string& name, std::uint32_t value) override {
    const DWORD number = value;
    return ::RegSetValueExA(key_.get(), name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                            sizeof number) == ERROR_SUCCESS;
  }
  bool deleteValue(const std::string& name) override {
    return ::RegDeleteValueA(key_.get(), name.c_str()) == ERROR_SUCCESS;
  }
  std::optional<std::string> readString(const std::string& name) override {
    DWORD type = 0, size = 0;
    if (::RegQueryValueExA(key_.get(), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ)) {
      return std::nullopt;
    }
    std::vector<char> buffer(size + 1, '\0');
    if (::RegQueryValueExA(key_.get(), name.c_str(), nullptr, &type,
                           reinterpret_cast<BYTE*>(buffer.data()), &size) != ERROR_SUCCESS) {
      return std::nullopt;
    }
    return std::string(buffer.data());
  }

 private:
  UniqueRegistryKey key_;
};

}  // namespace

// A leading backslash names the same key from the root; the registry calls want it without.
static std::string subKey(const std::string& path) {
  return path.empty() || path[0] != '\\' ? path : path.substr(1);
}

std::unique_ptr<RegistryKey> Win32Registry::openKey(RegistryRoot root, const std::string& rawPath,
                                                    KeyAccess access) {
  const std::string path = subKey(rawPath);
  // Never all access: a reader gets a key it cannot write through, a writer one it cannot
  // re-secure or take ownership of.
  const REGSAM rights = access == KeyAccess::kRead ? KEY_READ : KEY_READ | KEY_WRITE;
  HKEY key = nullptr;
  const LONG result =
      access == KeyAccess::kCreate
          ? ::RegCreateKeyExA(rootKey(root), path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                              rights, nullptr, &key, nullptr)
          : ::RegOpenKeyExA(rootKey(root), path.c_str(), 0, rights, &key);
  if (result != ERROR_SUCCESS) return nullptr;
  return std::make_unique<Win32RegistryKey>(UniqueRegistryKey(key));
}

bool Win32Registry::deleteKeyTree(RegistryRoot root, const std::string& rawPath) {
  const std::string path = subKey(rawPath);
  // Sub-keys first: RegDeleteKey only removes a key without sub-keys.
  HKEY opened = nullptr;
  // Only listed here: RegDeleteKey asks for its own right to delete each key.
  if (::RegOpenKeyExA(rootKey(root), path.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) {
    return false;
  }
  UniqueRegistryKey key(opened);
  std::vector<std::string> children;
  char name[256];
  for (DWORD index = 0;; ++index) {
    DWORD length = sizeof name;
    if (::RegEnumKeyExA(key.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS) {
      break;
    }
    children.emplace_back(name, length);
  }
  key.reset();
  for (const std::string& child : children) deleteKeyTree(root, path + "\\" + child);
  return ::RegDeleteKeyA(rootKey(root), path.c_str()) == ERROR_SUCCESS;
}

namespace {

class Win32LoadedLibrary : public LoadedLibrary {
 public:
  explicit Win32LoadedLibrary(UniqueModule module) : module_(std::move(module)) {}
  void* symbol(const std::string& name) override {
    return reinterpret_cast<void*>(::GetProcAddress(module_.get(), name.c_str()));
  }

 private:
  UniqueModule module_;
};

}  // namespace

std::unique_ptr<LoadedLibrary> Win32LibraryLoader::load(const std::string& path, Status& error) {
  // A full path, whose library's own imports are looked for beside it (our held working folder)
  // rather than beside the installer where the search could not be restricted.
  UniqueModule module(::LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
  if (!module) {
    error = static_cast<Status>(::GetLastError());
    return nullptr;
  }
  error = 0;
  return std::make_unique<Win32LoadedLibrary>(std::move(module));
}

}  // namespace saverkit::win32
