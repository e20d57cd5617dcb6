# The stand-in player's installers, which the movie tests install: a quiet run writes the control
# into the 32-bit system folder's Macromed\Flash and registers it in the 32-bit registry view;
# another version's installer replaces it; the control's own unregistration removes the key.
# The registration found before is put back, so the prefix stays as the other cases expect.
. "$(dirname "$0")/../lib.sh"
key='HKCR\CLSID\{D27CDB6E-AE6D-11cf-96B8-444553540000}'
folder="$prefix_c/windows/syswow64/Macromed/Flash"
control='C:\windows\system32\Macromed\Flash\standin_player.ocx'
query() { wine reg query "$key$1" /reg:32 2>/dev/null | tr -d '\r'; }
version() { wine "$bin/system_probe.exe" file-version "$control" 2>/dev/null | tr -d '\r'; }
previous=$(query '\InprocServer32' | sed -n 's/^ *(Default) *REG_SZ *//p')

# A silent run that showed a message box would wait for a click: the timeout catches that.
timeout 60 wine "$bin/standin_player_installer10.exe" /s
status=$?
[ "$status" = 0 ] || fail "installer 10 exit code $status"
entry=$(query '\InprocServer32')
echo "$entry"
echo "$entry" | grep -qE "\(Default\) +REG_SZ +${control//\\/\\\\}\$" || fail "InprocServer32 path"
echo "$entry" | grep -qE 'ThreadingModel +REG_SZ +Apartment$' || fail "ThreadingModel"
cmp -s "$folder/standin_player.ocx" "$bin/standin_player10.ocx" || fail "control 10 in $folder"
[ "$(version)" = "version=10 12" ] || fail "version of the installed control: $(version)"

timeout 60 wine "$bin/standin_player_installer9.exe" /Q
status=$?
[ "$status" = 0 ] || fail "installer 9 exit code $status"
cmp -s "$folder/standin_player.ocx" "$bin/standin_player9.ocx" || fail "control 9 did not replace 10"
[ "$(version)" = "version=9 124" ] || fail "version after the second install: $(version)"

wine regsvr32 /s /u "$control" || fail "unregistration"
wine reg query "$key" /reg:32 >/dev/null 2>&1 && fail "the class key is still registered"

rm -f "$folder"/standin_player*.ocx
rmdir "$folder" "$(dirname "$folder")" 2>/dev/null
if [ -n "$previous" ]; then
  wine reg add "$key\\InprocServer32" /ve /d "$previous" /f /reg:32 >/dev/null 2>&1
fi
finish
