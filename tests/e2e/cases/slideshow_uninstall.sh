# Removing a picture saver with its own engine (/u), as the uninstall entry runs it: the question,
# then the machine as before the install (both system folders, the product folder, the uninstall
# entry under HKLM and under HKCU, the active-saver setting that named it), apart from the
# user's settings and the logon screen on resume. The closing message comes after the setting
# and the removal are done, and says the setting is none. A second /u finds nothing and says so.
# The elevated copy (run as the user's part starts it) removes without a word, answers through
# its exit code, and leaves the active-saver setting of its own hive alone.
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
  wine reg query 'HKCU\Control Panel\Desktop' /v ScreenSaverIsSecure 2>/dev/null | tr -d '\r'
}
# The machine while the closing message is up.
on_shot() {
  { wine reg query 'HKCU\Control Panel\Desktop' /v SCRNSAVE.EXE 2>/dev/null | tr -d '\r'
    ls "$prefix_c/ProgramData/Vantrel" "$prefix_c/windows/system32" "$prefix_c/windows/syswow64"; } > "$work/at-message.txt"
}
clean_saver "$name"
wine reg delete "HKCU\\$entry" /f >/dev/null 2>&1 || true
wine reg delete 'HKCU\Control Panel\Desktop' /v SCRNSAVE.EXE /f >/dev/null 2>&1 || true
secure_before=$(wine reg query 'HKCU\Control Panel\Desktop' /v ScreenSaverIsSecure 2>/dev/null | tr -d '\r')
wine reg add 'HKCU\Control Panel\Desktop' /v ScreenSaverIsSecure /d 1 /f >/dev/null 2>&1
trap 'rm -rf "$work" "$report"; clean_saver "$name"; wine reg delete "$settings" /f >/dev/null 2>&1 || true
  [ -n "$secure_before" ] || wine reg delete "HKCU\Control Panel\Desktop" /v ScreenSaverIsSecure /f >/dev/null 2>&1 || true' EXIT
machine > "$work/before.txt"

# Branded, so that its entry carries the fuller set of values that /u must take with it.
register_player
picture_saver "$work/saver" "$name" 30a050 || fail "saverpack build"
sed -i 's|"slots": {|"publisher": "Lumière Studio", "version": "1.0",\n  "slots": {|' "$work/saver/manifest.json"
build_installer "$work/saver" "$work/saver/Setup.exe" || fail "saverpack build (branded)"
wine "$bin/driver.exe" -- "$work/saver/Setup.exe" /q 2>/dev/null | tr -d '\r' | grep -qx 'exit 0' || fail "install"
wine reg query "HKLM\\$entry" /v Publisher 2>/dev/null | grep -q 'Studio' || fail "no Publisher in the entry"
wine reg query "HKLM\\$entry" /v NoModify 2>/dev/null | grep -q '0x1' || fail "no NoModify in the entry"
# As an install that fell back to HKCU would have left it, and as the launcher makes it active.
wine reg add "HKCU\\$entry" /v UninstallString /d "\"$(engine_of "$name")\" /u" /f >/dev/null 2>&1
wine reg add 'HKCU\Control Panel\Desktop' /v SCRNSAVE.EXE /d "$(engine_of "$name")" /f >/dev/null 2>&1
wine reg add "$settings" /v Order /d shuffled /f >/dev/null 2>&1
[ -f "$prefix_c/windows/system32/$name.scr" ] && [ -d "$prefix_c/ProgramData/Vantrel/$name/album" ] || fail "not installed"

drive message-box:\&Yes see-box "$(shot slideshow_uninstall_done)" message-box:OK -- "$(engine_of "$name")" /u
expect 'box title="Slide Away" text="Remove the Slide Away screen saver?" buttons="&Yes|&No"'
expect_match '^box title="Slide Away" text="The Slide Away screen saver has been removed\.'
expect_match 'The screen saver setting went back to \(None\)\."'
expect 'exit 0'
expect_no_match '[Ss]ysnative'
# By the time the message is up, the setting and the saver's files are gone.
[ -s "$work/at-message.txt" ] || fail "no look at the machine while the message was up"
! grep -q SCRNSAVE "$work/at-message.txt" || fail "the setting was still there at the message"
! grep -qxF "$name" "$work/at-message.txt" || fail "the product folder was still there at the message"
! grep -qxF "$name.scr" "$work/at-message.txt" || fail "the engine was still there at the message"
# Wine, like Windows, keeps a running program's file: it is moved aside at once, so that the
# saver's name is free for a reinstall, and goes at the next restart, recorded by its real path
# (the 32-bit system folder), not by a name only this 32-bit process understands.
pending=$(wine reg query 'HKLM\System\CurrentControlSet\Control\Session Manager' /v PendingFileRenameOperations 2>/dev/null | tr -d '\r')
[ ! -e "$prefix_c/windows/syswow64/$name.scr" ] || fail "the running engine still holds the saver's name"
aside=$(ls "$prefix_c/windows/syswow64/" | grep -F "$name.scr." | grep '\.removed$' | head -1)
if [ -n "$aside" ]; then
  # Named as Explorer shows the running 32-bit engine's folder, not as this process reaches it.
  expect_match 'These files will be removed when Windows restarts:.*C:\\\\windows\\\\SysWOW64\\\\Slide Away\.scr'
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

# The elevated copy alone: no question, no box, the outcome as its exit code, and the active-saver
# setting of its hive (an administrator's, when one elevated it for someone else) left alone.
install_picture_saver "$work/handed" "$name" 30a050
wine reg add 'HKCU\Control Panel\Desktop' /v SCRNSAVE.EXE /d "$(engine_of "$name")" /f >/dev/null 2>&1
drive no-box:3000 -- "$(engine_of "$name")" /u /relaunched
expect_match '^exit (0|3)$'
[ ! -d "$prefix_c/ProgramData/Vantrel/$name" ] || fail "the elevated copy left the product folder"
wine reg query 'HKCU\Control Panel\Desktop' /v SCRNSAVE.EXE 2>/dev/null | grep -qF "$name.scr" ||
  fail "the elevated copy cleared its own hive's setting"
wine reg delete 'HKCU\Control Panel\Desktop' /v SCRNSAVE.EXE /f >/dev/null 2>&1 || true
grep -qx 'exit 3' "$report" && wine wineboot -r >/dev/null 2>&1
clean_saver "$name"

# Declining the question keeps everything.
install_picture_saver "$work/again" "$name" 30a050
drive message-box:\&No -- "$(engine_of "$name")" /u
expect 'exit 0'
[ -f "$prefix_c/windows/system32/$name.scr" ] && [ -d "$prefix_c/ProgramData/Vantrel/$name/album" ] || fail "No removed something"
finish
