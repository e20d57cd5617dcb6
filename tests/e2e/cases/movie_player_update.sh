# No player on the machine, and the package carries one: its installer runs silently,
# registers the stand-in player, and the wait ends on the carried version within seconds; the
# movie then plays in the window and Install works. The player's log never goes through a link.
# The player's installer runs with the installer's rights, so its temporary folder is the
# working folder, not the user's own (where the user's programs could plant a library).
. "$(dirname "$0")/../lib.sh"
work=$(mktemp -d); trap 'rm -rf "$work" "$report"' EXIT
remove_player
clean_saver "Blue Hole"
make_movie "$work/blue.swf" 10 0066CC
movie_saver "$work/saver" "Blue Hole" "$work/blue.swf"
cp "$bin/standin_player_installer10.exe" "$work/saver/install_flash_player_10_active_x.exe"
with_slot "$work/saver" 2 install_flash_player_10_active_x.exe
build_installer "$work/saver" "$work/Blue Setup.exe" || fail "saverpack build"

# The player's call log asked for through a linked folder: the control, loaded into the
# installer with its rights, writes nothing where the link points (movie_plays reads a plain log).
mkdir -p "$work/logs" "$work/elsewhere"
ln -s "$work/elsewhere" "$work/logs/linked"
export SAVERKIT_STANDIN_LOG=$(windows_path "$work/logs/linked/player.log")
export SAVERKIT_STANDIN_TEMP_RECORD=$(windows_path "$work/temp.txt")
start=$SECONDS
drive --timeout=60000 wait-title:TInstallerForm="Install Screen Saver: Blue Hole" sleep:500 \
  "$(shot movie_after_player_update)" click:Install -- "$work/Blue Setup.exe" "{launcher}"
unset SAVERKIT_STANDIN_LOG SAVERKIT_STANDIN_TEMP_RECORD
echo "the player installer's temporary folder: $(cat "$work/temp.txt" 2>/dev/null)"
grep -qiE '^C:\\users\\[^\\]+\\AppData\\Local\\Vantrel\\ZOR[0-9]+\\$' "$work/temp.txt" 2>/dev/null ||
  fail "the player installer's temporary folder is not the working folder"
[ -z "$(ls -A "$work/elsewhere")" ] || fail "the player's log went through a linked folder"
elapsed=$((SECONDS - start))
echo "startup and install took ${elapsed}s (10 s of them are the polls for a player that is not there yet)"
[ "$elapsed" -lt 40 ] || fail "the wait for the new player took ${elapsed}s"
expect 'exit 0'
expect_no_match '^box '
wine reg query "$player_key\\InprocServer32" /ve 2>/dev/null | tr -d '\r' | grep -qi 'Macromed\\Flash\\standin_player.ocx' ||
  fail "the carried player is not registered"
colour=$(pixels_of "$artefacts/movie_after_player_update.png" 0066CC)
[ "${colour:-0}" -gt 60000 ] || fail "the movie's background colour covers $colour pixels"
[ -f "$prefix_c/ProgramData/Vantrel/Blue Hole/saver.dat" ] || fail "not installed"
clean_saver "Blue Hole"
remove_player
finish
