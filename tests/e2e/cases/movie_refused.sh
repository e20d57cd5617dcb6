# Movies the installed player cannot show end in the fallback, without a box: one newer than
# the player (-410) and one of a version the reader refuses (-405). The install runs in the
# preparing window and the program ends; the launcher hears the header read, the saver made
# active and the close. With no player at all and none carried the user is told where to get
# one, and nothing is installed.
. "$(dirname "$0")/../lib.sh"
work=$(mktemp -d); trap 'rm -rf "$work" "$report"' EXIT
remove_player
install_standin 9 || fail "the stand-in player 9 did not install"
for version in 10 12; do
  name="Reef $version"
  clean_saver "$name"
  make_movie "$work/movie$version.swf" "$version" 336699
  movie_saver "$work/saver$version" "$name" "$work/movie$version.swf"
  build_installer "$work/saver$version" "$work/Setup $version.exe" || fail "saverpack build $version"
  drive "$(shot movie_fallback_$version)" -- "$work/Setup $version.exe" "{launcher}"
  expect_no_match '^box '
  expect_order 'copydata tag=0 size=26 text="read installer heard file\x00"' \
    "copydata tag=0 size=$((22 + ${#name})) text=\"makeActiveSaver-$name.scr\\x00\\x00\"" \
    'notify 0x0501 wparam=0 lparam=0' 'exit 0'
  [ -f "$prefix_c/ProgramData/Vantrel/$name/saver.dat" ] || fail "version $version: not installed"
  clean_saver "$name"
done

remove_player
clean_saver "Reef 10"
drive --timeout=30000 see-box "$(shot no_player_box)" box:OK -- "$work/Setup 10.exe" "{launcher}"
expect_match '^box title="[^"]*" text="This screen saver requires the latest Adobe Flash Player for Internet Explorer\.\\r\\n\\r\\nPlease download the free player from https://get\.adobe\.com/flashplayer/ and retry this installation\." buttons="OK"$'
expect_order 'copydata tag=0 size=26 text="read installer heard file\x00"' 'notify 0x0501 wparam=0 lparam=0' 'exit 0'
expect_no_match 'makeActiveSaver'
[ ! -e "$prefix_c/ProgramData/Vantrel/Reef 10" ] || fail "something was installed without a player"
finish
