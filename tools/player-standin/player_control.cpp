// The control's identity and automation members, and what its window shows.
#include "player_control.h"

#include <string>

#include "call_log.h"
#include "module.h"

namespace standin {

const CLSID kPlayerClassId = {
    0xD27CDB6E, 0xAE6D, 0x11cf, {0x96, 0xB8, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};

namespace {

// The dispatch identifiers and names installers expect of the player control: hosts that
// bind early use the numbers, script hosts the names.
enum Member : DISPID {
  kMovie = 102,
  kPlay = 112,
  kStop = 113,
  kScaleMode = 120,
  kStopPlay = 126,
  kWindowMode = 133,
  kMenu = 135,
  kSetVariable = 151,
  kGetVariable = 152,
};

struct MemberName {
  const wchar_t* name;
  DISPID id;
};
constexpr MemberName kMemberNames[] = {
    {L"Movie", kMovie},         {L"ScaleMode", kScaleMode},     {L"WMode", kWindowMode},
    {L"Menu", kMenu},           {L"Play", kPlay},               {L"Stop", kStop},
    {L"StopPlay", kStopPlay},   {L"SetVariable", kSetVariable}, {L"GetVariable", kGetVariable},
};

const IID kNoInterface = {};
constexpr LONG kDefaultWidthHimetric = 320 * 2540 / 96;  // 320 x 240 pixels at 96 dpi
constexpr LONG kDefaultHeightHimetric = 240 * 2540 / 96;

std::wstring playerVersion(const wchar_t* separator) {
  return std::to_wstring(STANDIN_VERSION_MAJOR) + separator +
         std::to_wstring(STANDIN_VERSION_MINOR) + separator +
         std::to_wstring(STANDIN_VERSION_BUILD) + separator +
         std::to_wstring(STANDIN_VERSION_REVISION);
}

class Variant {
 public:
  Variant() { ::VariantInit(&value_); }
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;
  ~Variant() { ::VariantClear(&value_); }
  VARIANT* get() { return &value_; }
  const VARIANT& operator*() const { return value_; }

 private:
  VARIANT value_;
};

std::wstring fromBstr(BSTR text) { return text ? std::wstring(text, ::SysStringLen(text)) : L""; }

// Coerces argument `position` (counted from the left; DISPPARAMS stores them right to left).
HRESULT argument(const DISPPARAMS& params, UINT position, VARTYPE type, Variant& value,
                 UINT* argumentError) {
  const UINT slot = params.cArgs - 1 - position;
  if (FAILED(::VariantChangeType(value.get(), &params.rgvarg[slot], 0, type))) {
    if (argumentError) *argumentError = slot;
    return DISP_E_TYPEMISMATCH;
  }
  return S_OK;
}

void returnString(VARIANT* result, const std::wstring& text) {
  if (!result) return;
  ::VariantInit(result);
  result->vt = VT_BSTR;
  result->bstrVal = ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
}

std::string memberName(DISPID member) {
  for (const MemberName& entry : kMemberNames) {
    if (entry.id == member) return narrow(entry.name);
  }
  return {};
}

// Whole rates as "24", others with two decimals: "12.50".
std::wstring frameRateText(const MovieHeader& header) {
  std::wstring text = std::to_wstring(header.frameRateWhole);
  const unsigned hundredths = header.frameRateFraction * 100 / 256;
  if (hundredths > 0) {
    text += L"." + std::to_wstring(hundredths / 10) + std::to_wstring(hundredths % 10);
  }
  return text;
}

}  // namespace

PlayerControl::PlayerControl() : extent_{kDefaultWidthHimetric, kDefaultHeightHimetric} {
  objectCreated();
  logLine("create");
}

PlayerControl::~PlayerControl() {
  if (window_) ::DestroyWindow(window_);
  if (inPlaceSite_) inPlaceSite_->Release();
  if (clientSite_) clientSite_->Release();
  if (adviseHolder_) adviseHolder_->Release();
  logLine("release");
  objectDestroyed();
}

HRESULT PlayerControl::QueryInterface(REFIID riid, void** object) {
  if (!object) return E_POINTER;
  if (IsEqualIID(riid, __uuidof(IUnknown)) || IsEqualIID(riid, __uuidof(IDispatch))) {
    *object = static_cast<IDispatch*>(this);
  } else if (IsEqualIID(riid, __uuidof(IOleObject))) {
    *object = static_cast<IOleObject*>(this);
  } else if (IsEqualIID(riid, __uuidof(IOleWindow)) ||
             IsEqualIID(riid, __uuidof(IOleInPlaceObject))) {
    *object = static_cast<IOleInPlaceObject*>(this);
  } else if (IsEqualIID(riid, __uuidof(IOleControl))) {
    *object = static_cast<IOleControl*>(this);
  } else if (IsEqualIID(riid, __uuidof(IPersist)) ||
             IsEqualIID(riid, __uuidof(IPersistStreamInit))) {
    *object = static_cast<IPersistStreamInit*>(this);
  } else {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

ULONG PlayerControl::AddRef() { return static_cast<ULONG>(::InterlockedIncrement(&references_)); }

ULONG PlayerControl::Release() {
  const LONG remaining = ::InterlockedDecrement(&references_);
  if (remaining == 0) delete this;
  return static_cast<ULONG>(remaining);
}

HRESULT PlayerControl::GetTypeInfoCount(UINT* count) {
  if (!count) return E_POINTER;
  *count = 0;
  return S_OK;
}

HRESULT PlayerControl::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
  if (info) *info = nullptr;
  return DISP_E_BADINDEX;
}

HRESULT PlayerControl::GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID,
                                     DISPID* ids) {
  if (!IsEqualIID(riid, kNoInterface)) return DISP_E_UNKNOWNINTERFACE;
  if (!names || !ids) return E_POINTER;
  if (count == 0) return S_OK;
  // No member takes named arguments, so any parameter name is unknown.
  for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
  for (const MemberName& entry : kMemberNames) {
    if (names[0] && ::lstrcmpiW(names[0], entry.name) == 0) {
      ids[0] = entry.id;
      return count == 1 ? S_OK : DISP_E_UNKNOWNNAME;
    }
  }
  return DISP_E_UNKNOWNNAME;
}

HRESULT PlayerControl::Invoke(DISPID member, REFIID riid, LCID, WORD flags, DISPPARAMS* params,
                              VARIANT* result, EXCEPINFO*, UINT* argumentError) {
  if (!IsEqualIID(riid, kNoInterface)) return DISP_E_UNKNOWNINTERFACE;
  DISPPARAMS none{};
  return invokeMember(member, flags, params ? *params : none, result, argumentError);
}

HRESULT PlayerControl::invokeMember(DISPID member, WORD flags, const DISPPARAMS& params,
                                    VARIANT* result, UINT* argumentError) {
  const std::string name = memberName(member);
  if (name.empty()) return DISP_E_MEMBERNOTFOUND;
  const bool isProperty =
      member == kMovie || member == kScaleMode || member == kWindowMode || member == kMenu;
  if (isProperty && (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF))) {
    return putProperty(member, name, params, argumentError);
  }
  // Script hosts read properties with DISPATCH_METHOD | DISPATCH_PROPERTYGET.
  if (isProperty && (flags & (DISPATCH_PROPERTYGET | DISPATCH_METHOD))) {
    if (params.cArgs != 0) return DISP_E_BADPARAMCOUNT;
    logLine("get " + name);
    getProperty(member, result);
    return S_OK;
  }
  if (isProperty || !(flags & DISPATCH_METHOD)) return DISP_E_MEMBERNOTFOUND;
  return callMethod(member, name, params, result, argumentError);
}

HRESULT PlayerControl::putProperty(DISPID member, const std::string& name,
                                   const DISPPARAMS& params, UINT* argumentError) {
  if (params.cArgs != 1) return DISP_E_BADPARAMCOUNT;
  if (params.cNamedArgs != 1 || params.rgdispidNamedArgs[0] != DISPID_PROPERTYPUT) {
    return DISP_E_PARAMNOTFOUND;
  }
  const VARTYPE type = member == kScaleMode ? VT_I4 : member == kMenu ? VT_BOOL : VT_BSTR;
  Variant value;
  if (const HRESULT status = argument(params, 0, type, value, argumentError); FAILED(status)) {
    return status;
  }
  std::string shown;
  if (member == kMovie) {
    setMovie(fromBstr((*value).bstrVal));
    shown = narrow(movie_);
  } else if (member == kScaleMode) {
    scaleMode_ = (*value).lVal;
    shown = std::to_string(scaleMode_);
  } else if (member == kWindowMode) {
    windowMode_ = fromBstr((*value).bstrVal);
    shown = narrow(windowMode_);
  } else {
    menu_ = (*value).boolVal != VARIANT_FALSE;
    shown = menu_ ? "true" : "false";
  }
  logLine("put " + name + " " + shown);
  return S_OK;
}

void PlayerControl::getProperty(DISPID member, VARIANT* result) const {
  if (!result) return;
  if (member == kMovie || member == kWindowMode) {
    returnString(result, member == kMovie ? movie_ : windowMode_);
    return;
  }
  ::VariantInit(result);
  if (member == kScaleMode) {
    result->vt = VT_I4;
    result->lVal = scaleMode_;
  } else {
    result->vt = VT_BOOL;
    result->boolVal = menu_ ? VARIANT_TRUE : VARIANT_FALSE;
  }
}

HRESULT PlayerControl::callMethod(DISPID member, const std::string& name,
                                  const DISPPARAMS& params, VARIANT* result,
                                  UINT* argumentError) {
  if (params.cNamedArgs != 0) return DISP_E_NONAMEDARGS;
  const UINT expected = member == kSetVariable ? 2 : member == kGetVariable ? 1 : 0;
  if (params.cArgs != expected) return DISP_E_BADPARAMCOUNT;
  Variant arguments[2];
  for (UINT i = 0; i < expected; ++i) {
    if (const HRESULT status = argument(params, i, VT_BSTR, arguments[i], argumentError);
        FAILED(status)) {
      return status;
    }
  }
  std::string line = "call " + name;
  for (UINT i = 0; i < expected; ++i) line += " " + narrow(fromBstr((*arguments[i]).bstrVal));

  if (member == kSetVariable) {
    variables_[fromBstr((*arguments[0]).bstrVal)] = fromBstr((*arguments[1]).bstrVal);
  } else if (member == kGetVariable) {
    const std::wstring variable = fromBstr((*arguments[0]).bstrVal);
    if (variable == L"$version") {
      returnString(result, L"WIN " + playerVersion(L","));
    } else {
      const auto found = variables_.find(variable);
      returnString(result, found != variables_.end() ? found->second : L"");
    }
  } else {
    playing_ = member == kPlay;
    if (window_) ::InvalidateRect(window_, nullptr, FALSE);
  }
  logLine(line);
  return S_OK;
}

void PlayerControl::setMovie(std::wstring path) {
  movie_ = std::move(path);
  header_ = readMovieFile(movie_);
  if (window_) ::InvalidateRect(window_, nullptr, FALSE);
}

void PlayerControl::paint(HDC dc, const RECT& client) const {
  const COLORREF background = header_.valid ? RGB(header_.red, header_.green, header_.blue)
                                            : RGB(192, 192, 192);
  HBRUSH brush = ::CreateSolidBrush(background);
  ::FillRect(dc, &client, brush);
  ::DeleteObject(brush);

  std::wstring lines[6];
  const std::size_t slash = movie_.find_last_of(L"\\/");
  lines[0] = slash == std::wstring::npos ? movie_ : movie_.substr(slash + 1);
  if (header_.valid) {
    lines[1] = L"SWF version " + std::to_wstring(header_.version);
    lines[2] = L"frame " + std::to_wstring(header_.widthPixels) + L" x " +
               std::to_wstring(header_.heightPixels) + L" px";
    lines[3] = frameRateText(header_) + L" fps, " + std::to_wstring(header_.frameCount) +
               L" frames";
    lines[4] = L"player " + playerVersion(L".");
    lines[5] = playing_ ? L"playing" : L"stopped";
  } else {
    lines[1] = L"no movie";
    lines[2] = std::wstring(header_.problem.begin(), header_.problem.end());
  }

  // Dark text on light backgrounds and light text on dark ones keeps every line readable.
  const unsigned luminance =
      (299u * GetRValue(background) + 587u * GetGValue(background) +
       114u * GetBValue(background)) / 1000u;
  ::SetTextColor(dc, luminance < 128 ? RGB(255, 255, 255) : RGB(0, 0, 0));
  ::SetBkMode(dc, TRANSPARENT);
  HGDIOBJ oldFont = ::SelectObject(dc, ::GetStockObject(DEFAULT_GUI_FONT));
  TEXTMETRICW metrics{};
  ::GetTextMetricsW(dc, &metrics);
  int y = client.top + 8;
  for (const std::wstring& line : lines) {
    if (line.empty()) continue;
    ::TextOutW(dc, client.left + 8, y, line.c_str(), static_cast<int>(line.size()));
    y += metrics.tmHeight + 2;
  }
  ::SelectObject(dc, oldFont);
}

}  // namespace standin
