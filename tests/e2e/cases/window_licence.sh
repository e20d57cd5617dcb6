# The installer window in licence mode with a JPEG picture and a long licence: it can be made
# taller (the buttons stay bottom right, the licence box grows), not narrower or wider; closing
# it during an install is refused; after the install the window shows the success state while
# the control-panel question is up. Screenshots of each state are saved.
. "$(dirname "$0")/../lib.sh"
work=$(mktemp -d); trap 'rm -rf "$work" "$report"' EXIT
register_player
clean_saver "Deep Blue"
make_saver "$work/saver" "Deep Blue" jpeg
for n in $(seq 1 60); do printf 'Clause %d. The screen saver may be used, copied and shown to friends.\r\n' "$n"; done > "$work/saver/License.txt"
with_slot "$work/saver" 4 License.txt
sed -i 's|"slots": {|"options": {"askOpenControlPanel": true},\n  "slots": {|' "$work/saver/manifest.json"
# A big product file keeps the install busy long enough to try closing it.
head -c 3000000 /dev/urandom > "$work/saver/extra.swf"
build_installer "$work/saver" "$work/Deep Setup.exe" || fail "saverpack build"

drive wait-title:TInstallerForm="Install Screen Saver: Deep Blue" layout:TInstallerForm "$(shot licence_jpeg)" \
  resize:TInstallerForm=490x700 layout:TInstallerForm "$(shot licence_taller)" \
  resize:TInstallerForm=700x700 layout:TInstallerForm resize:TInstallerForm=300x300 layout:TInstallerForm \
  click:'Accept and Install' close:TInstallerForm see-box "$(shot success_with_question)" \
  controls:TInstallerForm box:'&No' \
  -- "$work/Deep Setup.exe" "{launcher}"
sizes=$(grep '^size ' "$report")
first=$(echo "$sizes" | sed -n 1p); taller=$(echo "$sizes" | sed -n 2p)
wider=$(echo "$sizes" | sed -n 3p); smaller=$(echo "$sizes" | sed -n 4p)
echo "$first" | grep -q '^size window=490x' || fail "licence mode window width: $first"
echo "$taller" | grep -q '^size window=490x700 ' || fail "taller: $taller"
echo "$wider" | grep -q '^size window=490x700 ' || fail "wider must be refused: $wider"
min_height=$(echo "$smaller" | sed 's/^size window=490x\([0-9]*\) .*/\1/')
[ "${min_height:-0}" -ge 465 ] || fail "shorter than the minimum: $smaller"
# In the taller window the buttons sit 1 pixel from the right edge, at the bottom.
client=$(echo "$taller" | sed 's/.* client=\([0-9]*\)x\([0-9]*\)/\1 \2/')
read -r cw ch <<< "$client"
cancel=$(grep '^place id=102 ' "$report" | sed -n 2p)
[ "$cancel" = "place id=102 at=$((cw - 1 - 80 - 1)),$((ch - 63 + 36)) size=80x25" ] || fail "cancel after resize: $cancel (client $cw x $ch)"
licence=$(grep '^place id=107 ' "$report" | sed -n 2p)
[ "$licence" = "place id=107 at=0,275 size=${cw}x$((ch - 63 - 273 - 6))" ] || fail "licence box after resize: $licence"
expect_match '^control id=104 class="Static" text="Screen Saver Installation and Setup Complete." visible=1'
expect_match '^control id=103 class="Button" text="Close" visible=1 enabled=1$'
expect_match '^control id=101 class="Button" text="Accept and Install" visible=0'
expect_match '^control id=102 class="Button" text="Cancel" visible=0'
expect 'box title="Confirm" text="The installation of the screen saver was successful.\r\n\r\nWould you like to open the screen saver control panel?" buttons="&Yes|&No"'
expect_order 'copydata tag=0 size=31 text="makeActiveSaver-Deep Blue.scr\x00\x00"' 'exit 0'
expect_no_match 'openScreenSaverControlPanel'
[ -f "$prefix_c/ProgramData/Vantrel/Deep Blue/License.txt" ] || fail "licence not copied"
clean_saver "Deep Blue"
finish
