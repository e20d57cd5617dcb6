# A compressed movie not newer than the installed player plays in the installer window beside
# its licence: the stand-in player paints the movie's background colour, the expanded copy sits
# in the panel's folder while it plays, the player gets its settings in order, Install works,
# and the panel's folder is gone once the window has closed.
. "$(dirname "$0")/../lib.sh"
work=$(mktemp -d); trap 'rm -rf "$work" "$report"' EXIT
remove_player
install_standin 9 || fail "the stand-in player 9 did not install"
clean_saver "Amber Lagoon"
make_movie "$work/amber.swf" 8 FF8000 compressed
movie_saver "$work/saver" "Amber Lagoon" "$work/amber.swf"
with_slot "$work/saver" 4 License.txt
build_installer "$work/saver" "$work/Lagoon Setup.exe" || fail "saverpack build"

on_shot() { panel_folders | while read -r folder; do ls "$folder"; done > "$work/panel-while-playing.txt"; }
export SAVERKIT_STANDIN_LOG=$(windows_path "$work/player.log")
drive --timeout=30000 wait-title:TInstallerForm="Install Screen Saver: Amber Lagoon" sleep:500 \
  "$(shot movie_plays)" controls:TInstallerForm click:'Accept and Install' -- "$work/Lagoon Setup.exe" "{launcher}"
unset SAVERKIT_STANDIN_LOG

colour=$(pixels_of "$artefacts/movie_plays.png" FF8000)
[ "${colour:-0}" -gt 60000 ] || fail "the movie's background colour covers $colour pixels, not the panel"
expect_match '^control id=[0-9]+ class="Button" text="Accept and Install" visible=1 enabled=1$'
expect_match '^control id=[0-9]+ class="RichEdit20[AW]" text="[^"]*" visible=1'
grep -qx 'unCompressedSWF.swf' "$work/panel-while-playing.txt" || fail "no expanded copy while the movie played"
grep -qx 'compressedSWFSegment.swf' "$work/panel-while-playing.txt" || fail "no compressed segment while the movie played"
[ -z "$(panel_folders)" ] || fail "the panel's folder outlived the window"
tr -d '\r' < "$work/player.log" > "$work/calls.txt"
grep -n . "$work/calls.txt" | head -30
# The panel's set-up, then the movie: the file itself is given, compressed as it is.
movie_path=$(grep -m1 '^put Movie ' "$work/calls.txt" | cut -d' ' -f3-)
case "$movie_path" in *'\intro.swf') ;; *) fail "the player was given $movie_path" ;; esac
mapfile -t calls < <(grep -E '^(put|call|verb)' "$work/calls.txt" | grep -v -e 'GetVariable' -e '^verb -5$')
expected=('put ScaleMode 0' 'call SetVariable Align AlClient' 'put WMode Opaque' 'put Menu false' 'verb -3' \
  "put Movie $movie_path" 'call Play' 'verb -1')
[ "${calls[*]:0:8}" = "${expected[*]}" ] || fail "player calls: ${calls[*]}"
grep -qx 'call StopPlay' "$work/calls.txt" || fail "the movie was not stopped when the window closed"
expect_order 'copydata tag=0 size=26 text="read installer heard file\x00"' \
  'copydata tag=0 size=34 text="makeActiveSaver-Amber Lagoon.scr\x00\x00"' 'notify 0x0501 wparam=0 lparam=0' 'exit 0'
[ -f "$prefix_c/ProgramData/Vantrel/Amber Lagoon/saver.dat" ] || fail "not installed"
[ -f "$prefix_c/ProgramData/Vantrel/Amber Lagoon/License.txt" ] || fail "the licence was not copied"
clean_saver "Amber Lagoon"
remove_player
finish
