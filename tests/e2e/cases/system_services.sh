# The system services on Wine: the folder values of this prefix, a real numbered working folder,
# the uninstall entry written and removed (32-bit registry view), the Display Properties window
# closed by its Cancel button, the start-up shortcut deleted by its CRC name, a DLL's version.
. "$(dirname "$0")/../lib.sh"
probe() { wine "$bin/system_probe.exe" "$@" 2>/dev/null | tr -d '\r'; }
value() { printf '%s\n' "$1" | sed -n "s/^$2=//p"; }
unix_path() { winepath -u "$1" 2>/dev/null; }

out=$(probe folders)
echo "$out"
[ "$(value "$out" os)" = 7 ] || fail "Wine's default prefix is 64-bit: OS code 7 expected"
[ "$(value "$out" status)" = 0 ] || fail "initFolders failed"
[ "$(value "$out" windowsFolder)" = 'C:\windows\' ] || fail "windowsFolder"
[ "$(value "$out" systemFolder)" = 'C:\windows\system32\' ] || fail "systemFolder"
[ "$(value "$out" nativeSystemFolder)" = 'C:\windows\Sysnative\' ] || fail "nativeSystemFolder"
[ "$(value "$out" sharedFolder)" = 'C:\ProgramData\Vantrel\' ] || fail "sharedFolder"
working=$(value "$out" workingFolder)
case "$working" in
  'C:\users\'*'\AppData\Local\Vantrel\ZOR'*'\') ;;
  *) fail "workingFolder $working" ;;
esac
first=$(unix_path "$working")
[ -d "$first" ] || fail "working folder $first does not exist"
# A second run skips the folder the first one left.
second=$(value "$(probe folders)" workingFolder)
n1=${working##*ZOR}; n2=${second##*ZOR}
[ "${n2%\\}" -eq $(( ${n1%\\} + 1 )) ] || fail "second working folder $second does not follow $working"
probe delete-tree "$working" >/dev/null; probe delete-tree "$second" >/dev/null
[ ! -e "$first" ] || fail "deleteFolderTree left $first"

# A folder to delete that is itself a link (Wine shows a Unix symbolic link as one) is never
# entered: the folder it points to keeps everything. (Wine 8 removes such a link by neither
# RemoveDirectory nor DeleteFile, so the link itself may stay.)
target=$(mktemp -d) && echo precious > "$target/keep.txt"
ln -sfn "$target" "$prefix_c/ProgramData/linked-saver"
probe delete-tree 'C:\ProgramData\linked-saver\' >/dev/null
[ -f "$target/keep.txt" ] || fail "deleteFolderTree followed a link at its top"
rm -rf "$target" "$prefix_c/ProgramData/linked-saver"

key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Ocean Waves'
[ "$(value "$(probe register 'Ocean Waves')" status)" = 0 ] || fail "register"
entry=$(wine reg query "$key" 2>/dev/null | tr -d '\r')
echo "$entry"
echo "$entry" | grep -q 'DisplayName.*REG_SZ.*Ocean Waves Screen Saver' || fail "DisplayName"
echo "$entry" | grep -qF '"C:\windows\system32\Ocean Waves.scr" /u' || fail "UninstallString"
[ "$(value "$(probe unregister 'Ocean Waves')" status)" = 0 ] || fail "unregister"
wine reg query "$key" >/dev/null 2>&1 && fail "the entry is still there"

drive --dialog="Display Properties" sleep:300 -- "$bin/system_probe.exe" close-display-properties
expect 'dialog-cancel title="Display Properties"'
expect 'exit 0'

out=$(probe remove-shortcut)
module=$(value "$out" modulePath)
crc=$(printf '%s' "$module" | gzip -c | tail -c8 | head -c4 | od -An -tu4 | tr -d ' ')
[ "$(value "$out" shortcut)" = "${crc}_installer.lnk" ] || fail "shortcut name $(value "$out" shortcut), expected ${crc}_installer.lnk"
startup=$(unix_path 'C:\users\'"$(whoami)"'\AppData\Roaming\Microsoft\Windows\Start Menu\Programs\StartUp')
mkdir -p "$startup"
touch "$startup/${crc}_installer.lnk" "$startup/keep_installer.lnk"
probe remove-shortcut >/dev/null
[ ! -e "$startup/${crc}_installer.lnk" ] || fail "the shortcut was not deleted"
[ -e "$startup/keep_installer.lnk" ] || fail "another shortcut was deleted"
rm -f "$startup/keep_installer.lnk"

[ "$(value "$(probe file-version "$(windows_path "$bin/versioned_fixture.dll")")" version)" = "10 45" ] || fail "file version"
[ "$(value "$(probe file-version "$(windows_path "$bin/driver.exe")")" version)" = "-1 -1" ] || fail "no version data must leave the values"
finish
