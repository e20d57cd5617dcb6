# Removing a picture saver with its own engine (/u), as the uninstall entry runs it: the question,
# then the machine as before the install (both system folders, the product folder, the uninstall
# entry under HKLM and under HKCU, the active-saver setting that named it), apart from the
# user's settings. A second /u finds nothing and says so.
. "$(dirname "$0")/../lib.sh"
work=$(mktemp -d); name="Slide Away"
settings='HKCU\Software\Saverkit\Slideshow\Slide Away'
entry='Software\Microsoft\Windows\CurrentVersion\Uninstall\Slide Away'
trap 'rm -rf "$work" "$report"; clean_saver "$name"; wine reg delete "$settings" /f >/dev/null 2>&1 || true' EXIT
machine() {
  ls "$prefix_c/windows/syswow64" "$prefix_c/windows/system32"
  find "$prefix_c/ProgramData" | sort
  for root in HKLM HKCU; do wine reg query "$root\\$entry" 2>/dev/null | tr -d '\r'; done
  wine reg query 'HKCU\Control Panel\Desktop' /v SCRNSAVE.EXE 2>/dev/null | tr -d '\r'
}
clean_saver "$name"
wine reg delete "HKCU\\$entry" /f >/dev/null 2>&1 || true
wine reg delete 'HKCU\Control Panel\Desktop' /v SCRNSAVE.EXE /f >/dev/null 2>&1 || true
machine > "$work/before.txt"

install_picture_saver "$work/saver" "$name" 30a050
# As an install that fell back to HKCU would have left it, and as the launcher makes it active.
wine reg add "HKCU\\$entry" /v UninstallString /d "\"$(engine_of "$name")\" /u" /f >/dev/null 2>&1
wine reg add 'HKCU\Control Panel\Desktop' /v SCRNSAVE.EXE /d "$(engine_of "$name")" /f >/dev/null 2>&1
wine reg add "$settings" /v Order /d shuffled /f >/dev/null 2>&1
[ -f "$prefix_c/windows/system32/$name.scr" ] && [ -d "$prefix_c/ProgramData/Vantrel/$name/album" ] || fail "not installed"

drive message-box:\&Yes message-box:OK -- "$(engine_of "$name")" /u
expect 'box title="Slide Away" text="Remove the Slide Away screen saver?" buttons="&Yes|&No"'
expect_match '^box title="Slide Away" text="The Slide Away screen saver has been removed\.'
expect 'exit 0'
# Wine, like Windows, keeps a running program's file: it is moved aside at once, so that the
# saver's name is free for a reinstall, and goes at the next restart, recorded by its real path
# (the 32-bit system folder), not by a name only this 32-bit process understands.
pending=$(wine reg query 'HKLM\System\CurrentControlSet\Control\Session Manager' /v PendingFileRenameOperations 2>/dev/null | tr -d '\r')
[ ! -e "$prefix_c/windows/syswow64/$name.scr" ] || fail "the running engine still holds the saver's name"
aside=$(ls "$prefix_c/windows/syswow64/" | grep -F "$name.scr." | grep '\.removed$' | head -1)
if [ -n "$aside" ]; then
  expect_match 'These files will be removed when Windows restarts:.*Slide Away\.scr'
  echo "$pending" | grep -qiF "C:\\windows\\syswow64\\$aside" || fail "not scheduled for the restart: $pending"
  wine wineboot -r >/dev/null 2>&1
fi
machine > "$work/after.txt"
diff "$work/before.txt" "$work/after.txt" || fail "the machine is not as it was before the install"
wine reg query "$settings" /v Order >/dev/null 2>&1 || fail "the user's settings went too"

# Again, from a copy of the engine under the same name: nothing is left, and it says so.
cp "$bin/slideshow.scr" "$work/$name.scr"
drive message-box:OK -- "$work/$name.scr" /u
expect 'box title="Slide Away" text="The Slide Away screen saver is not installed: there is nothing to remove." buttons="OK"'
expect 'exit 0'

# Declining the question keeps everything.
install_picture_saver "$work/again" "$name" 30a050
drive message-box:\&No -- "$(engine_of "$name")" /u
expect 'exit 0'
[ -f "$prefix_c/windows/system32/$name.scr" ] && [ -d "$prefix_c/ProgramData/Vantrel/$name/album" ] || fail "No removed something"
finish
