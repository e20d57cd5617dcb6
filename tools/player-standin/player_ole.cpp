// The control's side of the OLE container protocol: client site, verbs, in-place activation,
// extent, advise sinks, and the persistence and control interfaces hosts ask for.
#include "player_control.h"

#include <string>

#include "call_log.h"
#include "player_window.h"

namespace standin {

HRESULT PlayerControl::SetClientSite(IOleClientSite* site) {
  if (site) site->AddRef();
  if (clientSite_) clientSite_->Release();
  clientSite_ = site;
  return S_OK;
}

HRESULT PlayerControl::GetClientSite(IOleClientSite** site) {
  if (!site) return E_POINTER;
  *site = clientSite_;
  if (clientSite_) clientSite_->AddRef();
  return S_OK;
}

HRESULT PlayerControl::SetHostNames(LPCOLESTR, LPCOLESTR) { return S_OK; }

HRESULT PlayerControl::Close(DWORD) {
  InPlaceDeactivate();
  if (adviseHolder_) adviseHolder_->SendOnClose();
  return S_OK;
}

HRESULT PlayerControl::SetMoniker(DWORD, IMoniker*) { return E_NOTIMPL; }

HRESULT PlayerControl::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
  if (moniker) *moniker = nullptr;
  return E_NOTIMPL;
}

HRESULT PlayerControl::InitFromData(IDataObject*, BOOL, DWORD) { return E_NOTIMPL; }

HRESULT PlayerControl::GetClipboardData(DWORD, IDataObject** data) {
  if (data) *data = nullptr;
  return E_NOTIMPL;
}

HRESULT PlayerControl::DoVerb(LONG verb, LPMSG, IOleClientSite* activeSite, LONG, HWND,
                              LPCRECT) {
  logLine("verb " + std::to_string(verb));
  switch (verb) {
    case OLEIVERB_PRIMARY:
    case OLEIVERB_SHOW:
    case OLEIVERB_INPLACEACTIVATE:
    case OLEIVERB_UIACTIVATE:
      if (window_) {
        ::ShowWindow(window_, SW_SHOW);
        return S_OK;
      }
      return activateInPlace(activeSite ? activeSite : clientSite_);
    case OLEIVERB_HIDE:
      if (window_) ::ShowWindow(window_, SW_HIDE);
      return S_OK;
    case OLEIVERB_DISCARDUNDOSTATE:
      return S_OK;
    default:
      // Unknown positive verbs act as the primary one; the rest (open editing) do not exist.
      if (verb > 0) {
        const HRESULT status = DoVerb(OLEIVERB_PRIMARY, nullptr, activeSite, 0, nullptr, nullptr);
        return SUCCEEDED(status) ? OLEOBJ_S_INVALIDVERB : status;
      }
      return E_NOTIMPL;
  }
}

HRESULT PlayerControl::activateInPlace(IOleClientSite* site) {
  if (!site) return E_UNEXPECTED;
  IOleInPlaceSite* inPlaceSite = nullptr;
  if (FAILED(site->QueryInterface(__uuidof(IOleInPlaceSite),
                                  reinterpret_cast<void**>(&inPlaceSite)))) {
    return E_NOINTERFACE;
  }
  if (inPlaceSite->CanInPlaceActivate() != S_OK) {
    inPlaceSite->Release();
    return E_FAIL;
  }
  inPlaceSite->OnInPlaceActivate();

  HWND parent = nullptr;
  IOleInPlaceFrame* frame = nullptr;
  IOleInPlaceUIWindow* document = nullptr;
  RECT position{}, clip{};
  OLEINPLACEFRAMEINFO frameInfo{};
  frameInfo.cb = sizeof frameInfo;
  HRESULT status = inPlaceSite->GetWindow(&parent);
  if (SUCCEEDED(status)) {
    status = inPlaceSite->GetWindowContext(&frame, &document, &position, &clip, &frameInfo);
  }
  // The frame and document window would matter for menus and toolbars, which this has none of.
  if (frame) frame->Release();
  if (document) document->Release();
  if (SUCCEEDED(status)) {
    window_ = createPlayerWindow(*this, parent, position);
    if (!window_) status = HRESULT_FROM_WIN32(::GetLastError());
  }
  if (FAILED(status)) {
    inPlaceSite->OnInPlaceDeactivate();
    inPlaceSite->Release();
    return status;
  }
  inPlaceSite_ = inPlaceSite;
  logLine("activate");
  return S_OK;
}

HRESULT PlayerControl::EnumVerbs(IEnumOLEVERB** verbs) {
  if (verbs) *verbs = nullptr;
  return OLEOBJ_E_NOVERBS;
}

HRESULT PlayerControl::Update() { return S_OK; }
HRESULT PlayerControl::IsUpToDate() { return S_OK; }

HRESULT PlayerControl::GetUserClassID(CLSID* classId) { return GetClassID(classId); }

HRESULT PlayerControl::GetUserType(DWORD form, LPOLESTR* userType) {
  return ::OleRegGetUserType(kPlayerClassId, form, userType);
}

HRESULT PlayerControl::SetExtent(DWORD aspect, SIZEL* size) {
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  if (!size) return E_POINTER;
  extent_ = *size;
  return S_OK;
}

HRESULT PlayerControl::GetExtent(DWORD aspect, SIZEL* size) {
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  if (!size) return E_POINTER;
  *size = extent_;
  return S_OK;
}

HRESULT PlayerControl::Advise(IAdviseSink* sink, DWORD* connection) {
  if (!adviseHolder_) {
    if (const HRESULT status = ::CreateOleAdviseHolder(&adviseHolder_); FAILED(status)) {
      return status;
    }
  }
  return adviseHolder_->Advise(sink, connection);
}

HRESULT PlayerControl::Unadvise(DWORD connection) {
  return adviseHolder_ ? adviseHolder_->Unadvise(connection) : OLE_E_NOCONNECTION;
}

HRESULT PlayerControl::EnumAdvise(IEnumSTATDATA** advises) {
  if (!advises) return E_POINTER;
  *advises = nullptr;
  return adviseHolder_ ? adviseHolder_->EnumAdvise(advises) : S_OK;
}

HRESULT PlayerControl::GetMiscStatus(DWORD, DWORD* status) {
  if (!status) return E_POINTER;
  *status = OLEMISC_RECOMPOSEONRESIZE | OLEMISC_INSIDEOUT | OLEMISC_ACTIVATEWHENVISIBLE |
            OLEMISC_SETCLIENTSITEFIRST;
  return S_OK;
}

HRESULT PlayerControl::SetColorScheme(LOGPALETTE*) { return E_NOTIMPL; }

HRESULT PlayerControl::GetWindow(HWND* window) {
  if (!window) return E_POINTER;
  *window = window_;
  return window_ ? S_OK : E_FAIL;
}

HRESULT PlayerControl::ContextSensitiveHelp(BOOL) { return E_NOTIMPL; }

HRESULT PlayerControl::InPlaceDeactivate() {
  if (!inPlaceSite_) return S_OK;
  ::DestroyWindow(window_);
  window_ = nullptr;
  IOleInPlaceSite* site = inPlaceSite_;
  inPlaceSite_ = nullptr;  // the site may call back into us; we are no longer active
  site->OnInPlaceDeactivate();
  site->Release();
  logLine("deactivate");
  return S_OK;
}

HRESULT PlayerControl::UIDeactivate() { return S_OK; }

HRESULT PlayerControl::SetObjectRects(LPCRECT position, LPCRECT) {
  if (!position) return E_POINTER;
  if (window_) {
    ::MoveWindow(window_, position->left, position->top, position->right - position->left,
                 position->bottom - position->top, TRUE);
  }
  return S_OK;
}

HRESULT PlayerControl::ReactivateAndUndo() { return INPLACE_E_NOTUNDOABLE; }

HRESULT PlayerControl::GetControlInfo(CONTROLINFO*) { return E_NOTIMPL; }
HRESULT PlayerControl::OnMnemonic(MSG*) { return E_NOTIMPL; }
HRESULT PlayerControl::OnAmbientPropertyChange(DISPID) { return S_OK; }
HRESULT PlayerControl::FreezeEvents(BOOL) { return S_OK; }

HRESULT PlayerControl::GetClassID(CLSID* classId) {
  if (!classId) return E_POINTER;
  *classId = kPlayerClassId;
  return S_OK;
}

HRESULT PlayerControl::IsDirty() { return S_FALSE; }
HRESULT PlayerControl::Load(LPSTREAM) { return S_OK; }
HRESULT PlayerControl::Save(LPSTREAM, BOOL) { return S_OK; }

HRESULT PlayerControl::GetSizeMax(ULARGE_INTEGER* size) {
  if (!size) return E_POINTER;
  size->QuadPart = 0;
  return S_OK;
}

HRESULT PlayerControl::InitNew() { return S_OK; }

}  // namespace standin
