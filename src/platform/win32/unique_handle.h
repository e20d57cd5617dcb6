// Ownership of Windows handles: one small RAII holder, with traits saying what an invalid
// handle looks like and how to release one. No bare CloseHandle on a path out.
#pragma once

#include <utility>

#include "platform/win32/windows_api.h"

namespace saverkit::win32 {

template <typename Traits>
class UniqueHandle {
 public:
  using Handle = typename Traits::Handle;
  UniqueHandle() = default;
  explicit UniqueHandle(Handle handle) : handle_(handle) {}
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    reset(other.release());
    return *this;
  }
  ~UniqueHandle() { reset(); }

  explicit operator bool() const { return handle_ != Traits::invalid(); }
  Handle get() const { return handle_; }
  Handle release() { return std::exchange(handle_, Traits::invalid()); }
  void reset(Handle handle = Traits::invalid()) {
    if (handle_ != Traits::invalid()) Traits::close(handle_);
    handle_ = handle;
  }

 private:
  Handle handle_ = Traits::invalid();
};

struct NullHandleTraits {  // process and thread handles, events
  using Handle = HANDLE;
  static Handle invalid() { return nullptr; }
  static void close(Handle handle) { ::CloseHandle(handle); }
};

struct FileHandleTraits {  // CreateFile results
  using Handle = HANDLE;
  static Handle invalid() { return INVALID_HANDLE_VALUE; }
  static void close(Handle handle) { ::CloseHandle(handle); }
};

struct FindHandleTraits {
  using Handle = HANDLE;
  static Handle invalid() { return INVALID_HANDLE_VALUE; }
  static void close(Handle handle) { ::FindClose(handle); }
};

struct RegistryKeyTraits {
  using Handle = HKEY;
  static Handle invalid() { return nullptr; }
  static void close(Handle handle) { ::RegCloseKey(handle); }
};

struct ModuleTraits {
  using Handle = HMODULE;
  static Handle invalid() { return nullptr; }
  static void close(Handle handle) { ::FreeLibrary(handle); }
};

struct GdiObjectTraits {
  using Handle = HGDIOBJ;
  static Handle invalid() { return nullptr; }
  static void close(Handle handle) { ::DeleteObject(handle); }
};

using UniqueNullHandle = UniqueHandle<NullHandleTraits>;
using UniqueFileHandle = UniqueHandle<FileHandleTraits>;
using UniqueFindHandle = UniqueHandle<FindHandleTraits>;
using UniqueRegistryKey = UniqueHandle<RegistryKeyTraits>;
using UniqueModule = UniqueHandle<ModuleTraits>;
using UniqueGdiObject = UniqueHandle<GdiObjectTraits>;

}  // namespace saverkit::win32
