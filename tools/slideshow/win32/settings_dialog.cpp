// The settings dialog; see the header.
#include "settings_dialog.h"

#include "resource_ids.h"
#include "saver_settings.h"
#include "saver_texts.h"

namespace saverkit::slideshow::win32 {
namespace {

struct DialogState {
  Registry& registry;
  std::string saverName;
  SaverSettings settings;
};

void fillDialog(HWND dialog, const DialogState& state) {
  ::SetWindowTextA(dialog, settingsTitle(state.saverName).c_str());
  ::SendDlgItemMessageA(dialog, IDC_SECONDS, EM_LIMITTEXT, 3, 0);
  ::SetDlgItemInt(dialog, IDC_SECONDS, static_cast<UINT>(state.settings.secondsPerPicture), FALSE);
  ::CheckRadioButton(dialog, IDC_SORTED, IDC_SHUFFLED, state.settings.shuffled ? IDC_SHUFFLED : IDC_SORTED);
  ::CheckRadioButton(dialog, IDC_FIT, IDC_FILL, state.settings.scaling == Scaling::kFill ? IDC_FILL : IDC_FIT);
}

// True when the dialog's values are good and kept; otherwise the user is told why.
bool keepSettings(HWND dialog, DialogState& state) {
  char text[16] = {};
  ::GetDlgItemTextA(dialog, IDC_SECONDS, text, sizeof text);
  const auto seconds = parseSeconds(text);
  const std::string title = settingsTitle(state.saverName);
  if (!seconds) {
    ::MessageBoxA(dialog, secondsOutOfRangeText().c_str(), title.c_str(), MB_OK | MB_ICONEXCLAMATION);
    ::SetFocus(::GetDlgItem(dialog, IDC_SECONDS));
    ::SendDlgItemMessageA(dialog, IDC_SECONDS, EM_SETSEL, 0, -1);
    return false;
  }
  state.settings.secondsPerPicture = *seconds;
  state.settings.shuffled = ::IsDlgButtonChecked(dialog, IDC_SHUFFLED) == BST_CHECKED;
  state.settings.scaling = ::IsDlgButtonChecked(dialog, IDC_FILL) == BST_CHECKED ? Scaling::kFill : Scaling::kFit;
  if (!saveSettings(state.registry, state.saverName, state.settings)) {
    ::MessageBoxA(dialog, settingsNotSavedText().c_str(), title.c_str(), MB_OK | MB_ICONERROR);
  }
  return true;
}

INT_PTR CALLBACK settingsProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    ::SetWindowLongPtrA(dialog, DWLP_USER, lParam);
    fillDialog(dialog, *reinterpret_cast<DialogState*>(lParam));
    return TRUE;
  }
  auto* state = reinterpret_cast<DialogState*>(::GetWindowLongPtrA(dialog, DWLP_USER));
  if (message != WM_COMMAND || !state) return FALSE;
  if (LOWORD(wParam) == IDOK && keepSettings(dialog, *state)) ::EndDialog(dialog, IDOK);
  if (LOWORD(wParam) == IDCANCEL) ::EndDialog(dialog, IDCANCEL);
  return TRUE;
}

}  // namespace

int runSettingsDialog(HINSTANCE instance, HWND owner, Registry& registry, const std::string& saverName) {
  DialogState state{registry, saverName, loadSettings(registry, saverName)};
  if (owner && !::IsWindow(owner)) owner = nullptr;
  const INT_PTR result = ::DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_SETTINGS), owner, settingsProcedure,
                                           reinterpret_cast<LPARAM>(&state));
  return result == -1 ? 1 : 0;
}

}  // namespace saverkit::slideshow::win32
