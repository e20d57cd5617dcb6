# A picture saver that says it needs no Flash Player, on a machine without one (as every Windows
# today): it installs quietly and through its window, with no box and without the player
# search's ten seconds of polls. The same package without the marker still asks for a player.
. "$(dirname "$0")/../lib.sh"
work=$(mktemp -d); trap 'rm -rf "$work" "$report"; clean_saver "Night Sky"' EXIT
remove_player
clean_saver "Night Sky"
make_saver "$work/saver" "Night Sky" jpeg
cp "$work/saver/manifest.json" "$work/saver/plain.json"
sed -i 's|"presentationMode": "jpeg",|"presentationMode": "jpeg",\n  "needsFlashPlayer": false,|' "$work/saver/manifest.json"
build_installer "$work/saver" "$work/Sky Setup.exe" || fail "saverpack build"
"$native_bin/saverpack" build "$work/saver/plain.json" -o "$work/Plain Setup.exe" --stub "$bin/saverstub.exe" \
  --no-progress || fail "saverpack build without the marker"
"$native_bin/saverpack" verify "$work/Sky Setup.exe" | grep -q 'Flash Player: not needed' || fail "verify does not say it"

# Quietly: no box at all, and done before the search for a player could even have ended.
started=$(date +%s)
drive no-box:1500 -- "$work/Sky Setup.exe" "{launcher}" /q
expect 'exit 0'
[ $(( $(date +%s) - started )) -lt 9 ] || fail "the quiet install waited as if it looked for a player"
[ -f "$prefix_c/ProgramData/Vantrel/Night Sky/saver.dat" ] || fail "not installed quietly"
wine reg query "$player_key" >/dev/null 2>&1 && fail "a player was registered on the way"

# Through the window: the picture and the Install button, no box.
clean_saver "Night Sky"
drive wait-title:TInstallerForm="Install Screen Saver: Night Sky" "$(shot no_player_marker_window)" \
  click:Install -- "$work/Sky Setup.exe" "{launcher}"
expect_no_match '^box '
expect_order 'copydata tag=0 size=31 text="makeActiveSaver-Night Sky.scr\x00\x00"' 'exit 0'
[ -f "$prefix_c/ProgramData/Vantrel/Night Sky/saver.dat" ] || fail "not installed through the window"

# Without the marker the installer behaves as it always did: the player message, -402.
clean_saver "Night Sky"
drive --timeout=30000 box:OK -- "$work/Plain Setup.exe" "{launcher}" /q
expect_match '^box title="[^"]*" text="This screen saver requires the latest Adobe Flash Player'
expect 'exit -402'
[ ! -e "$prefix_c/ProgramData/Vantrel/Night Sky" ] || fail "installed without a player"
finish
