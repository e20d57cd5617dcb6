# The user's own "User Shell Folders" value points the Startup folder elsewhere, at a read-only
# file of the shortcut's name: the administrator's deletion never happens there (nor in Windows'
# own Startup folder, which is not the user's then). With the value gone, the shortcut in the
# real Startup folder is deleted as before (system_services.sh).
. "$(dirname "$0")/../lib.sh"
probe() { wine "$bin/system_probe.exe" "$@" 2>/dev/null | tr -d '\r'; }
value() { printf '%s\n' "$1" | sed -n "s/^$2=//p"; }
key='HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\User Shell Folders'
elsewhere=$(mktemp -d)
startup="$prefix_c/users/$(whoami)/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/StartUp"
trap 'wine reg delete "$key" /v Startup /f >/dev/null 2>&1; chmod -R u+w "$elsewhere"; rm -rf "$elsewhere" "$report"' EXIT

module=$(value "$(probe remove-shortcut)" modulePath)
crc=$(printf '%s' "$module" | gzip -c | tail -c8 | head -c4 | od -An -tu4 | tr -d ' ')
mkdir -p "$startup"
echo precious > "$elsewhere/${crc}_installer.lnk"
chmod a-w "$elsewhere/${crc}_installer.lnk"  # Wine shows a file without write bits as read-only
touch "$startup/${crc}_installer.lnk"
wine reg add "$key" /v Startup /t REG_EXPAND_SZ /d "$(windows_path "$elsewhere")" /f >/dev/null 2>&1
out=$(probe remove-shortcut); echo "$out"
[ "$(cat "$elsewhere/${crc}_installer.lnk" 2>/dev/null)" = precious ] || fail "the file in the redirected folder was deleted"
[ -e "$startup/${crc}_installer.lnk" ] || fail "a folder that is not the user's Startup folder was acted in"

wine reg delete "$key" /v Startup /f >/dev/null 2>&1
probe remove-shortcut >/dev/null
[ ! -e "$startup/${crc}_installer.lnk" ] || fail "the shortcut in the real Startup folder was not deleted"
finish
