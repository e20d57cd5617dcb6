// The DLL's entry points: the class factory, the unload check and self-registration.
#include "module.h"

#include <olectl.h>

#include <new>

#include "player_control.h"
#include "player_window.h"

namespace standin {
namespace {

HINSTANCE instance = nullptr;
LONG liveObjects = 0;
LONG serverLocks = 0;

constexpr char kClassKey[] = "CLSID\\{D27CDB6E-AE6D-11cf-96B8-444553540000}";
constexpr char kDescription[] = "Saverkit stand-in movie player";

// A single static factory: its references only keep the server locked, like a client lock.
class PlayerFactory final : public IClassFactory {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    if (!object) return E_POINTER;
    if (IsEqualIID(riid, __uuidof(IUnknown)) || IsEqualIID(riid, __uuidof(IClassFactory))) {
      *object = static_cast<IClassFactory*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override {
    return static_cast<ULONG>(::InterlockedIncrement(&serverLocks));
  }
  ULONG STDMETHODCALLTYPE Release() override {
    return static_cast<ULONG>(::InterlockedDecrement(&serverLocks));
  }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    auto* control = new (std::nothrow) PlayerControl;
    if (!control) return E_OUTOFMEMORY;
    const HRESULT result = control->QueryInterface(riid, object);
    control->Release();  // the caller's interface, if any, now holds the only reference
    return result;
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
    if (lock) {
      ::InterlockedIncrement(&serverLocks);
    } else {
      ::InterlockedDecrement(&serverLocks);
    }
    return S_OK;
  }
};

PlayerFactory factory;

LONG setString(HKEY key, const char* name, const char* value) {
  return ::RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                          static_cast<DWORD>(::lstrlenA(value) + 1));
}

// RegDeleteTree needs Vista; the control also has to unregister on older systems.
LONG deleteTree(HKEY parent, const char* name) {
  HKEY key = nullptr;
  LONG status = ::RegOpenKeyExA(parent, name, 0, KEY_READ | KEY_WRITE, &key);
  if (status != ERROR_SUCCESS) return status;
  char child[256];
  DWORD length = sizeof child;
  // Always the first subkey: each pass removes it, so the enumeration never goes stale.
  while (::RegEnumKeyExA(key, 0, child, &length, nullptr, nullptr, nullptr, nullptr) ==
         ERROR_SUCCESS) {
    status = deleteTree(key, child);
    if (status != ERROR_SUCCESS) break;
    length = sizeof child;
  }
  ::RegCloseKey(key);
  return status == ERROR_SUCCESS ? ::RegDeleteKeyA(parent, name) : status;
}

}  // namespace

HINSTANCE moduleInstance() { return instance; }
void objectCreated() { ::InterlockedIncrement(&liveObjects); }
void objectDestroyed() { ::InterlockedDecrement(&liveObjects); }

}  // namespace standin

using namespace standin;

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, void* reserved) {
  if (reason == DLL_PROCESS_ATTACH) {
    instance = module;
    ::DisableThreadLibraryCalls(module);
  } else if (reason == DLL_PROCESS_DETACH && !reserved) {
    // A later load at another address must not find a class whose procedure is gone.
    unregisterWindowClass();
  }
  return TRUE;
}

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID classId, REFIID riid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (!IsEqualCLSID(classId, kPlayerClassId)) return CLASS_E_CLASSNOTAVAILABLE;
  return factory.QueryInterface(riid, object);
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() {
  return liveObjects == 0 && serverLocks == 0 ? S_OK : S_FALSE;
}

extern "C" HRESULT STDAPICALLTYPE DllRegisterServer() {
  char path[MAX_PATH];
  const DWORD length = ::GetModuleFileNameA(instance, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return SELFREG_E_CLASS;
  HKEY classKey = nullptr, serverKey = nullptr;
  LONG status = ::RegCreateKeyExA(HKEY_CLASSES_ROOT, kClassKey, 0, nullptr, 0, KEY_WRITE, nullptr,
                                  &classKey, nullptr);
  if (status == ERROR_SUCCESS) status = setString(classKey, nullptr, kDescription);
  if (status == ERROR_SUCCESS) {
    status = ::RegCreateKeyExA(classKey, "InprocServer32", 0, nullptr, 0, KEY_WRITE, nullptr,
                               &serverKey, nullptr);
  }
  if (status == ERROR_SUCCESS) status = setString(serverKey, nullptr, path);
  if (status == ERROR_SUCCESS) status = setString(serverKey, "ThreadingModel", "Apartment");
  if (serverKey) ::RegCloseKey(serverKey);
  if (classKey) ::RegCloseKey(classKey);
  return status == ERROR_SUCCESS ? S_OK : SELFREG_E_CLASS;
}

extern "C" HRESULT STDAPICALLTYPE DllUnregisterServer() {
  const LONG status = deleteTree(HKEY_CLASSES_ROOT, kClassKey);
  return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND ? S_OK : SELFREG_E_CLASS;
}
