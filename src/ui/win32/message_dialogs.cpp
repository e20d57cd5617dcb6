// Message dialogs; see the header.
#include "ui/win32/message_dialogs.h"

namespace saverkit::win32 {
namespace {

// The hook lives only for the one box being shown, on the one user-interface thread.
HHOOK activationHook = nullptr;
std::string renamedOkCaption;

LRESULT CALLBACK renameOkButtonOnActivate(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_ACTIVATE) {
    ::SetDlgItemTextA(reinterpret_cast<HWND>(wParam), IDOK, renamedOkCaption.c_str());
    ::UnhookWindowsHookEx(activationHook);
    activationHook = nullptr;
    return 0;
  }
  return ::CallNextHookEx(activationHook, code, wParam, lParam);
}

int showBox(HWND owner, const std::string& text, const std::string& title, UINT style) {
  if (!owner) style |= MB_TASKMODAL;
  return ::MessageBoxA(owner, text.c_str(), title.c_str(), style | MB_SETFOREGROUND);
}

}  // namespace

bool showMessageDialog(HWND owner, const TextSource& texts, DialogKind kind,
                       const std::string& text) {
  switch (kind) {
    case DialogKind::kError:
      renamedOkCaption = texts.text(TextId::kButtonAbort);
      activationHook = ::SetWindowsHookExA(WH_CBT, renameOkButtonOnActivate, nullptr,
                                           ::GetCurrentThreadId());
      showBox(owner, text, texts.text(TextId::kDialogTitleError), MB_OK | MB_ICONERROR);
      if (activationHook) {
        ::UnhookWindowsHookEx(activationHook);
        activationHook = nullptr;
      }
      return true;
    case DialogKind::kInformation:
      showBox(owner, text, texts.text(TextId::kDialogTitleInformation), MB_OK | MB_ICONINFORMATION);
      return true;
    case DialogKind::kOkCancel:
      return showBox(owner, text, texts.text(TextId::kDialogTitleConfirm),
                     MB_OKCANCEL | MB_ICONQUESTION) == IDOK;
    case DialogKind::kYesNo:
      return showBox(owner, text, texts.text(TextId::kDialogTitleConfirm),
                     MB_YESNO | MB_ICONQUESTION) == IDYES;
  }
  return false;
}

void showErrorReportBox(HWND owner, const std::string& caption, const std::string& text) {
  showBox(owner, text, caption, MB_OK | MB_ICONSTOP);
}

}  // namespace saverkit::win32
