// The player control through COM; see the header.
#include "platform/win32/win32_player_control.h"

#include <ole2.h>
#include <olectl.h>

#include <string>
#include <vector>

#include "common/saverkit_error.h"
#include "platform/win32/system_library.h"
#include "platform/win32/windows_api.h"

namespace saverkit::win32 {
namespace {

const CLSID kPlayerClassId = {0xD27CDB6E, 0xAE6D, 0x11cf, {0x96, 0xB8, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};

// Dispatch identifiers of the control's type library.
constexpr DISPID kMovieId = 102;
constexpr DISPID kScaleModeId = 120;
constexpr DISPID kWindowModeId = 133;
constexpr DISPID kMenuId = 135;

// One COM reference, released on every way out.
template <typename Interface>
class ComReference {
 public:
  ComReference() = default;
  ~ComReference() { reset(); }
  ComReference(const ComReference&) = delete;
  ComReference& operator=(const ComReference&) = delete;
  Interface* get() const { return pointer_; }
  Interface* operator->() const { return pointer_; }
  explicit operator bool() const { return pointer_ != nullptr; }
  void** out() {
    reset();
    return reinterpret_cast<void**>(&pointer_);
  }
  void reset() {
    if (pointer_) pointer_->Release();
    pointer_ = nullptr;
  }

 private:
  Interface* pointer_ = nullptr;
};

// A VARIANT that clears itself.
struct Variant {
  Variant() { ::VariantInit(&value); }
  ~Variant() { ::VariantClear(&value); }
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;
  VARIANT value;
};

// Converted straight into the BSTR: std::wstring would add its whole instantiation to the stub.
void setText(Variant& variant, const std::string& text) {
  const int size = static_cast<int>(text.size());
  const int length = ::MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0);
  variant.value.vt = VT_BSTR;
  variant.value.bstrVal = ::SysAllocStringLen(nullptr, static_cast<UINT>(length));
  if (!variant.value.bstrVal) throw SaverkitError("out of memory");
  ::MultiByteToWideChar(CP_ACP, 0, text.data(), size, variant.value.bstrVal, length);
}

std::string narrow(BSTR text) {
  if (!text) return {};
  const int wideLength = static_cast<int>(::SysStringLen(text));
  const int length = ::WideCharToMultiByte(CP_ACP, 0, text, wideLength, nullptr, 0, nullptr, nullptr);
  std::string result(static_cast<std::size_t>(length), '\0');
  ::WideCharToMultiByte(CP_ACP, 0, text, wideLength, result.data(), length, nullptr, nullptr);
  return result;
}

void check(HRESULT result, const char* what) {
  if (FAILED(result)) throw SaverkitError(std::string(what) + " failed");
}

DISPID memberId(IDispatch& control, const wchar_t* name) {
  DISPID id = DISPID_UNKNOWN;
  LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
  check(control.GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id), "GetIDsOfNames");
  return id;
}

// Arguments are given in call order; Invoke wants them last to first.
void callMethod(IDispatch& control, const wchar_t* name, std::vector<VARIANT> arguments,
                VARIANT* result, const char* what) {
  const DISPID id = memberId(control, name);
  std::vector<VARIANT> reversed(arguments.rbegin(), arguments.rend());
  DISPPARAMS parameters{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
  check(control.Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &parameters, result, nullptr, nullptr),
        what);
}

void putProperty(IDispatch& control, DISPID id, VARIANT& value, const char* what) {
  DISPID named = DISPID_PROPERTYPUT;
  DISPPARAMS parameters{&value, &named, 1, 1};
  check(control.Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &parameters, nullptr, nullptr,
                       nullptr),
        what);
}

std::string readVersionVariable(IDispatch& control) {
  Variant name;
  setText(name, "$version");
  Variant answer;
  callMethod(control, L"GetVariable", {name.value}, &answer.value, "GetVariable");
  check(::VariantChangeType(&answer.value, &answer.value, 0, VT_BSTR), "GetVariable");
  return narrow(answer.value.bstrVal);
}

// The control made by its own file's class factory, the file loaded by its full path (its own
// imports taken from beside it). CoCreateInstance would look the class up in the merged view,
// where a registration of the user's comes first and would run in this elevated process. The file
// stays loaded for the process's life, as COM would keep it.
HRESULT createControl(const std::string& controlFile, void** control) {
  using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
  HMODULE module = ::LoadLibraryExA(controlFile.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  const auto getClassObject =
      module ? reinterpret_cast<GetClassObject>(reinterpret_cast<void*>(::GetProcAddress(module, "DllGetClassObject")))
             : nullptr;
  if (!getClassObject) return E_FAIL;
  ComReference<IClassFactory> factory;
  const HRESULT result = getClassObject(kPlayerClassId, IID_IClassFactory, factory.out());
  if (FAILED(result)) return result;
  return factory->CreateInstance(nullptr, IID_IDispatch, control);
}

using AttachControl = HRESULT(WINAPI*)(IUnknown*, HWND, IUnknown**);

// The container of the system folder's atl.dll, loaded by its full path: a copy beside the
// installer must never be the one that runs. It stays loaded, as hosted controls need it.
AttachControl controlContainer() {
  static AttachControl attach = [] {
    using Init = BOOL(WINAPI*)();
    if (auto init = systemFunction<Init>("atl.dll", "AtlAxWinInit")) init();
    return systemFunction<AttachControl>("atl.dll", "AtlAxAttachControl");
  }();
  return attach;
}

class Win32HostedPlayer : public HostedPlayer {
 public:
  explicit Win32HostedPlayer(HWND host) : host_(host) {}
  ~Win32HostedPlayer() override {
    control_.reset();
    // The container lets go of the control when its window goes.
    if (host_) ::DestroyWindow(host_);
    container_.reset();
  }
  Win32HostedPlayer(const Win32HostedPlayer&) = delete;
  Win32HostedPlayer& operator=(const Win32HostedPlayer&) = delete;

  ComReference<IDispatch>& control() { return control_; }

  void placeInPanel() override {
    const AttachControl attach = controlContainer();
    IUnknown* control = nullptr;
    if (control_) control_->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&control));
    const HRESULT attached = attach && control
                                 ? attach(control, host_, reinterpret_cast<IUnknown**>(container_.out()))
                                 : E_FAIL;
    if (control) control->Release();
    if (FAILED(attached)) throw SaverkitError("the player control could not be placed in the window");
  }

  void setScaleMode(int mode) override {
    Variant value;
    value.value.vt = VT_I4;
    value.value.lVal = mode;
    putProperty(*control_.get(), kScaleModeId, value.value, "ScaleMode");
  }
  void setVariable(const std::string& name, const std::string& value) override {
    Variant nameText, valueText;
    setText(nameText, name);
    setText(valueText, value);
    callMethod(*control_.get(), L"SetVariable", {nameText.value, valueText.value}, nullptr, "SetVariable");
  }
  void setWindowMode(const std::string& mode) override { putText(kWindowModeId, mode, "WMode"); }
  void setMenu(bool shown) override {
    Variant value;
    value.value.vt = VT_BOOL;
    value.value.boolVal = shown ? VARIANT_TRUE : VARIANT_FALSE;
    putProperty(*control_.get(), kMenuId, value.value, "Menu");
  }
  void doVerb(int verb) override {
    ComReference<IOleObject> object;
    check(control_->QueryInterface(IID_IOleObject, object.out()), "IOleObject");
    ComReference<IOleClientSite> site;
    object->GetClientSite(reinterpret_cast<IOleClientSite**>(site.out()));
    RECT area{};
    ::GetClientRect(host_, &area);
    check(object->DoVerb(verb, nullptr, site.get(), 0, host_, &area), "DoVerb");
  }
  void setMovie(const std::string& path) override { putText(kMovieId, path, "Movie"); }
  void play() override { callMethod(*control_.get(), L"Play", {}, nullptr, "Play"); }
  void stopPlay() override { callMethod(*control_.get(), L"StopPlay", {}, nullptr, "StopPlay"); }
  void takeFocus() override {
    ComReference<IOleWindow> window;
    HWND target = host_;
    if (SUCCEEDED(control_->QueryInterface(IID_IOleInPlaceObject, window.out()))) {
      HWND own = nullptr;
      if (SUCCEEDED(window->GetWindow(&own)) && own) target = own;
    }
    ::SetFocus(target);
  }

 private:
  void putText(DISPID id, const std::string& text, const char* what) {
    Variant value;
    setText(value, text);
    putProperty(*control_.get(), id, value.value, what);
  }

  HWND host_;
  ComReference<IDispatch> control_;
  ComReference<IUnknown> container_;
};

}  // namespace

Win32PlayerControl::~Win32PlayerControl() {
  if (oleStarted_) ::OleUninitialize();
}

void Win32PlayerControl::startOle() {
  if (!oleStarted_) oleStarted_ = SUCCEEDED(::OleInitialize(nullptr));
}

PlayerVersionAnswer Win32PlayerControl::queryVersion(const std::string& controlFile) {
  startOle();
  PlayerVersionAnswer answer;
  ComReference<IDispatch> control;
  if (FAILED(createControl(controlFile, control.out()))) return answer;
  try {
    answer.text = readVersionVariable(*control.get());
    answer.outcome = PlayerVersionAnswer::Outcome::kAnswered;
  } catch (const SaverkitError&) {
    answer.outcome = PlayerVersionAnswer::Outcome::kQueryFailed;
  }
  return answer;
}

std::unique_ptr<HostedPlayer> Win32PlayerControl::createHostedPlayer(WindowHandle panel,
                                                                     const std::string& controlFile) {
  startOle();
  const AttachControl attach = controlContainer();
  HWND parent = reinterpret_cast<HWND>(static_cast<UINT_PTR>(panel));
  if (!attach || !::IsWindow(parent)) return nullptr;
  RECT area{};
  ::GetClientRect(parent, &area);
  // Each player gets a host window of its own, filling the panel: freeing the player destroys
  // it, and the panel stays as it was for the next one.
  HWND host = ::CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, area.right,
                                area.bottom, parent, nullptr, ::GetModuleHandleA(nullptr), nullptr);
  if (!host) return nullptr;
  auto player = std::make_unique<Win32HostedPlayer>(host);
  if (FAILED(createControl(controlFile, player->control().out()))) return nullptr;
  return player;
}

}  // namespace saverkit::win32
