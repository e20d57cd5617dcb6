# A movie package whose movie cannot be played here (the registered player file has no control
# behind it, so none can be created: -403): no error dialog; the install runs at once
# with its progress in the preparing window (which takes the installer window's title), then
# the control-panel offer, then the program ends.
. "$(dirname "$0")/../lib.sh"
work=$(mktemp -d); trap 'rm -rf "$work" "$report"' EXIT
register_player
clean_saver "Kelp Forest"
make_saver "$work/saver" "Kelp Forest" flash
make_movie "$work/saver/intro.swf" 10 112233
sed -i 's|"3": {"file": "intro.bmp"}|"3": {"file": "intro.swf"}|; s|"slots": {|"options": {"askOpenControlPanel": true},\n  "slots": {|' "$work/saver/manifest.json"
build_installer "$work/saver" "$work/Kelp Setup.exe" || fail "saverpack build"
drive --timeout=120000 see-box "$(shot movie_fallback)" box:'&Yes' -- "$work/Kelp Setup.exe" "{launcher}"
expect 'box title="Confirm" text="The installation of the screen saver was successful.\r\n\r\nWould you like to open the screen saver control panel?" buttons="&Yes|&No"'
expect_order 'copydata tag=0 size=26 text="read installer heard file\x00"' \
  'copydata tag=0 size=33 text="makeActiveSaver-Kelp Forest.scr\x00\x00"' \
  'copydata tag=0 size=28 text="openScreenSaverControlPanel\x00"' 'notify 0x0501 wparam=0 lparam=0' 'exit 0'
expect_no_match '^window class="TInstallerForm"'
[ -f "$prefix_c/ProgramData/Vantrel/Kelp Forest/saver.dat" ] || fail "not installed"
clean_saver "Kelp Forest"
finish
