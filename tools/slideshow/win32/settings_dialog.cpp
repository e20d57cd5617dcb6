// The settings dialog; see the header.
#include "settings_dialog.h"

#include <commctrl.h>

#include "platform/win32/system_library.h"
#include "resource_ids.h"
#include "saver_settings.h"
#include "saver_texts.h"
#include "video_stream.h"

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
  ::CheckRadioButton(dialog, IDC_BLURRED, IDC_BLACK, state.settings.backdrop == Backdrop::kBlack ? IDC_BLACK : IDC_BLURRED);
  const int caption = state.settings.caption == Caption::kFileName    ? IDC_CAPTION_NAME
                      : state.settings.caption == Caption::kDateTaken ? IDC_CAPTION_DATE
                                                                      : IDC_CAPTION_NONE;
  ::CheckRadioButton(dialog, IDC_CAPTION_NONE, IDC_CAPTION_DATE, caption);
  ::CheckDlgButton(dialog, IDC_SOUND, state.settings.videoSound ? BST_CHECKED : BST_UNCHECKED);
  ::SendDlgItemMessageA(dialog, IDC_VOLUME, EM_LIMITTEXT, 3, 0);
  ::SetDlgItemInt(dialog, IDC_VOLUME, static_cast<UINT>(state.settings.videoVolume), FALSE);
  ::EnableWindow(::GetDlgItem(dialog, IDC_VOLUME), state.settings.videoSound);
  ::CheckDlgButton(dialog, IDC_PRIMARY_ONLY, state.settings.videosOnPrimaryOnly ? BST_CHECKED : BST_UNCHECKED);
  // The user learns here, not from a show without videos, that this Windows cannot play them.
  if (!mediaFoundationPresent()) ::SetDlgItemTextA(dialog, IDC_NO_VIDEO, noVideoPlaybackText().c_str());
}

// Shows the user why a value is refused and puts the caret in it.
void refuse(HWND dialog, int control, const std::string& text, const std::string& title) {
  ::MessageBoxA(dialog, text.c_str(), title.c_str(), MB_OK | MB_ICONEXCLAMATION);
  ::SetFocus(::GetDlgItem(dialog, control));
  ::SendDlgItemMessageA(dialog, control, EM_SETSEL, 0, -1);
}

// True when the dialog's values are good and kept; otherwise the user is told why.
bool keepSettings(HWND dialog, DialogState& state) {
  char text[16] = {};
  ::GetDlgItemTextA(dialog, IDC_SECONDS, text, sizeof text);
  const auto seconds = parseSeconds(text);
  const std::string title = settingsTitle(state.saverName);
  if (!seconds) {
    refuse(dialog, IDC_SECONDS, secondsOutOfRangeText(), title);
    return false;
  }
  ::GetDlgItemTextA(dialog, IDC_VOLUME, text, sizeof text);
  const auto volume = parseVolume(text);
  state.settings.videoSound = ::IsDlgButtonChecked(dialog, IDC_SOUND) == BST_CHECKED;
  // A volume matters only with the sound on; otherwise a bad one keeps the last good one.
  if (!volume && state.settings.videoSound) {
    refuse(dialog, IDC_VOLUME, volumeOutOfRangeText(), title);
    return false;
  }
  if (volume) state.settings.videoVolume = *volume;
  state.settings.videosOnPrimaryOnly = ::IsDlgButtonChecked(dialog, IDC_PRIMARY_ONLY) == BST_CHECKED;
  state.settings.secondsPerPicture = *seconds;
  state.settings.shuffled = ::IsDlgButtonChecked(dialog, IDC_SHUFFLED) == BST_CHECKED;
  state.settings.scaling = ::IsDlgButtonChecked(dialog, IDC_FILL) == BST_CHECKED ? Scaling::kFill : Scaling::kFit;
  state.settings.backdrop = ::IsDlgButtonChecked(dialog, IDC_BLACK) == BST_CHECKED ? Backdrop::kBlack : Backdrop::kBlurred;
  state.settings.caption = ::IsDlgButtonChecked(dialog, IDC_CAPTION_NAME) == BST_CHECKED   ? Caption::kFileName
                           : ::IsDlgButtonChecked(dialog, IDC_CAPTION_DATE) == BST_CHECKED ? Caption::kDateTaken
                                                                                           : Caption::kNone;
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
  if (LOWORD(wParam) == IDC_SOUND) {
    ::EnableWindow(::GetDlgItem(dialog, IDC_VOLUME), ::IsDlgButtonChecked(dialog, IDC_SOUND) == BST_CHECKED);
  }
  if (LOWORD(wParam) == IDOK && keepSettings(dialog, *state)) ::EndDialog(dialog, IDOK);
  if (LOWORD(wParam) == IDCANCEL) ::EndDialog(dialog, IDCANCEL);
  return TRUE;
}

// The manifest asks for version 6 of the common controls; the dialog's buttons, edit and
// group boxes take its visual styles only once it is loaded, from the system and never by a
// search, before the dialog is made.
void loadVisualStyles() {
  using InitControls = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
  const HMODULE library = saverkit::win32::commonControlsLibrary();
  const auto initControls = library ? reinterpret_cast<InitControls>(reinterpret_cast<void*>(
                                          ::GetProcAddress(library, "InitCommonControlsEx")))
                                    : nullptr;
  INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_STANDARD_CLASSES};
  if (initControls) initControls(&controls);
}

// The window the dialog belongs to: the one the settings page gave, else the one in front (the
// page or Explorer that started the engine with a bare /c), so the dialog stays over it and
// that window waits while it is open. A child window given stands for its top-level window.
// Never the desktop: a modal dialog disables its owner, and a desktop left disabled by an engine
// that ended badly would take the user's icons with it.
HWND chooseOwner(HWND given) {
  HWND owner = given && ::IsWindow(given) ? given : ::GetForegroundWindow();
  if (owner && ::IsWindow(owner)) owner = ::GetAncestor(owner, GA_ROOT);
  if (!owner || !::IsWindow(owner) || owner == ::GetShellWindow() || owner == ::GetDesktopWindow()) return nullptr;
  return owner;
}

}  // namespace

int runSettingsDialog(HINSTANCE instance, HWND given, Registry& registry, const std::string& saverName,
                      const SaverSettings& defaults) {
  DialogState state{registry, saverName, loadSettings(registry, saverName, defaults)};
  loadVisualStyles();
  const HWND owner = chooseOwner(given);
  const INT_PTR result = ::DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_SETTINGS), owner, settingsProcedure,
                                           reinterpret_cast<LPARAM>(&state));
  return result == -1 ? 1 : 0;
}

}  // namespace saverkit::slideshow::win32
