# saverpack preview --show: the saver installed into the preview's own prefix and its show
# photographed full screen, as numbered PNG frames and as an animated GIF. The frames are the
# show itself (the saver's one picture fills them), taken at the times asked for; an output
# that would replace the installer is refused before anything runs. Nothing is left behind:
# no session folder, display or Wine program, and nothing lands in the case's own prefix.
. "$(dirname "$0")/../lib.sh"
work=$(mktemp -d); trap 'rm -rf "$work" "$report"' EXIT
export XDG_CACHE_HOME=$(cd "$bin/.." && pwd)/preview-cache
sessions() { ls -d "$XDG_CACHE_HOME"/saverkit/run-* 2>/dev/null | wc -l; }
preview_displays() { pgrep -f '^Xvfb -displayfd' | sort; }
preview_wine() { grep -lsa 'WINEPREFIX=[^[:cntrl:]]*/saverkit/run-' /proc/[0-9]*/environ | wc -l; }
saverpack() { "$native_bin/saverpack" "$@"; }
displays_before=$(preview_displays)
clean_saver "Tide Show"

# One picture of a colour of its own: every frame of the show is that colour, edge to edge
# (320 x 240 fills 1024 x 768 exactly).
picture_saver "$work/tide" "Tide Show" 1E90C8 >/dev/null || fail "saverpack build"
started=$(date +%s%N)
saverpack preview "$work/tide/Setup.exe" --show --every 2 --for 4 -o "$work/tide.png" --stub "$bin/saverstub.exe" 2> "$work/err.txt" > "$work/out.txt" ||
  fail "preview --show: $(cat "$work/err.txt")"
echo "one preview --show of 3 frames: $(( ($(date +%s%N) - started) / 1000000 )) ms"
cat "$work/err.txt" "$work/out.txt"
grep -q 'installing "Tide Show" quietly' "$work/err.txt" || fail "no progress on the install"
grep -qx "wrote $work/tide-01.png to $work/tide-03.png (3 pictures of the show, 1024 x 768 pixels, 2 s apart)" \
  "$work/out.txt" || fail "what was written: $(cat "$work/out.txt")"
for frame in 01 02 03; do
  file="$work/tide-$frame.png"
  cp "$file" "$artefacts/preview_show_$frame.png" 2>/dev/null
  [ "$(identify -format '%m %wx%h' "$file" 2>/dev/null)" = "PNG 1024x768" ] || fail "frame $frame is no 1024 x 768 PNG"
  [ "$(pixels_of "$file" 1E90C8)" -gt 700000 ] || fail "frame $frame does not show the saver's picture"
done
[ -e "$work/tide-04.png" ] && fail "a fourth frame was written"

# The same show as one animation: three frames, two seconds each.
saverpack preview "$work/tide/Setup.exe" --show --every 2 --for 4 -o "$work/tide.gif" --stub "$bin/saverstub.exe" 2> "$work/err.txt" > /dev/null ||
  fail "preview --show to a GIF: $(cat "$work/err.txt")"
[ "$(identify -format '%m %T\n' "$work/tide.gif" 2>/dev/null | sort -u)" = "GIF 200" ] || fail "not a GIF of 2 s frames"
[ "$(identify "$work/tide.gif" 2>/dev/null | wc -l)" = 3 ] || fail "the GIF has not three frames"
[ "$(pixels_of "$work/tide.gif[1]" 1E90C8)" -gt 500000 ] || fail "the GIF does not show the saver's picture"

# A frame's name that is the installer's own is refused before any slow work.
cp "$work/tide/Setup.exe" "$work/Setup-01.png"
saverpack preview "$work/Setup-01.png" --show --for 0 -o "$work/Setup.png" 2> "$work/err.txt"
[ $? = 2 ] || fail "a frame over the installer was not refused: $(cat "$work/err.txt")"
cmp -s "$work/tide/Setup.exe" "$work/Setup-01.png" || fail "the installer was written over"

# Nothing left behind.
[ "$(sessions)" = 0 ] || fail "session folders left: $(ls "$XDG_CACHE_HOME/saverkit")"
[ "$(preview_displays)" = "$displays_before" ] || fail "a preview display still runs"
[ "$(preview_wine)" = 0 ] || fail "Wine programs of a preview still run"
[ -e "$prefix_c/ProgramData/Vantrel/Tide Show" ] && fail "the show was installed into the case's prefix"
[ -e "$prefix_c/windows/syswow64/Tide Show.scr" ] && fail "the engine went into the case's prefix"
finish
