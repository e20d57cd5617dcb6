# The author's path on a machine without a Flash Player, as every Windows today: saverpack init,
# build --strict and verify give an installer that installs through its window with no player
# message, and the saver it installs shows its first picture full screen.
. "$(dirname "$0")/../lib.sh"
work=$(mktemp -d); trap 'rm -rf "$work" "$report"; clean_saver "Dawn Sea"' EXIT
remove_player
clean_saver "Dawn Sea"
"$native_bin/saverpack" init "$work/dawn-sea" > "$work/init.txt" || fail "init"
"$native_bin/saverpack" build "$work/dawn-sea/manifest.json" -o "$work/Dawn Sea Setup.exe" --strict \
  --stub "$bin/saverstub.exe" --no-progress 2> "$work/build.err" || fail "build --strict: $(cat "$work/build.err")"
[ -s "$work/build.err" ] && fail "the sample warns: $(cat "$work/build.err")"
"$native_bin/saverpack" verify "$work/Dawn Sea Setup.exe" > "$work/verify.txt" || fail "verify"
grep -q 'Flash Player: not needed' "$work/verify.txt" || fail "verify: $(cat "$work/verify.txt")"

drive wait-title:TInstallerForm="Install Screen Saver: Dawn Sea" "$(shot author_path_installer)" \
  click:'Accept and Install' box:'&No' -- "$work/Dawn Sea Setup.exe" "{launcher}"
expect_no_match 'Flash Player'
expect 'exit 0'
product="$prefix_c/ProgramData/Vantrel/Dawn Sea"
cmp -s "$product/evening/3-evening.bmp" "$work/dawn-sea/content/evening/3-evening.bmp" || fail "the pictures"
cmp -s "$prefix_c/windows/syswow64/Dawn Sea.scr" "$bin/slideshow.scr" || fail "the engine"

# A new user's show starts with the morning picture (content is shown in path order): its pale
# sun, scaled up to the screen's width, with black above and below the 16:9 picture on a 4:3
# screen. Shows resume where they stopped, so an earlier run's place is forgotten first.
wine reg delete 'HKCU\Software\Saverkit\Slideshow\Dawn Sea' /f >/dev/null 2>&1 || true
drive wait-window:SaverkitSlideshow sleep:1500 "$(shot author_path_show)" key:32 -- "$(engine_of "Dawn Sea")" /s
expect 'exit 0'
sun=$(pixels_of "$artefacts/author_path_show.png" fff6dc)
top=$(region_pixels "$artefacts/author_path_show.png" 1024x80+0+0 000000)
echo "sun pixels: $sun, black in the top band: $top"
[ "${sun:-0}" -gt 5000 ] || fail "the first picture is not on the screen"
[ "${top:-0}" -gt 80000 ] || fail "the picture is not centred on black"
finish
