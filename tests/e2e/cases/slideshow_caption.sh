# The engine's captions, drawn the way its show draws them (caption_probe): the file's name without
# folder and extension; the day a photo was taken from its EXIF block, else the day the file was
# last written, in the user's long date format; nothing for a file that cannot be read. Drawn in
# the bottom-right corner as light text on a darkened rounded plate, readable on white and on
# black, in frames whose rows run either way, twice the size at 192 dpi, and not at all where the
# area cannot hold it.
. "$(dirname "$0")/../lib.sh"
work=$(mktemp -d)
trap 'rm -rf "$work" "$report"' EXIT
# A photo's first bytes: an EXIF block whose Exif directory says it was taken on 15 June 2023.
printf '%b' '\xFF\xD8\xFF\xE1\x00\x48Exif\0\0II*\0\x08\0\0\0\x01\0\x69\x87\x04\0\x01\0\0\0\x1A\0\0\0\0\0\0\0' \
  '\x01\0\x03\x90\x02\0\x14\0\0\0\x2C\0\0\0\0\0\0\0' '2023:06:15 12:00:00\0\xFF\xD9' > "$work/Beach at Dawn.2019.jpg"
touch -d '2019-03-04 12:00' "$work/Beach at Dawn.2019.jpg"
printf 'no EXIF here' > "$work/Snow.png" && touch -d '2019-03-04 12:00' "$work/Snow.png"

probe() { wine "$bin/caption_probe.exe" "$@" 2>/dev/null | tr -d '\r' > "$report"; echo "--- probe $1:"; cat "$report"; }

probe text "$(windows_path "$work/Beach at Dawn.2019.jpg")" "$(windows_path "$work/Snow.png")" \
  "$(windows_path "$work/Missing.jpg")"
expect 'name text="Beach at Dawn.2019"'
expect 'name text="Snow"'
expect 'name text="Missing"'
# The day taken wins over the day written; without one, the day written.
sed -n 2p "$report" | grep -q '2023' && sed -n 2p "$report" | grep -q '15' || fail "day taken: $(sed -n 2p "$report")"
sed -n 5p "$report" | grep -q '2019' && sed -n 5p "$report" | grep -qw '4' || fail "day written: $(sed -n 5p "$report")"
[ "$(sed -n 8p "$report")" = 'date text=""' ] || fail "a missing file has a date: $(sed -n 8p "$report")"
[ "$(grep -c '^none text=""$' "$report")" = 3 ] || fail "a caption of none is not empty"

# white: the plate darkens white to 89 (90/256) and the text is light; black: the text alone shows.
# The plate ends 24 pixels (at 96 dpi) from the right and bottom edges of the 640x360 area.
box() { sed -n "s/^drawn on=$1 box=\([0-9,]*\) .*/\1/p" "$report"; }
level() { sed -n "s/^drawn on=$1 .* $2=\([0-9]*\)$/\1/p;s/^drawn on=$1 .* $2=\([0-9]*\) .*/\1/p" "$report"; }
probe draw 640 360 96 "$(windows_path "$artefacts/slideshow_caption_96.bmp")"
IFS=, read -r left top right bottom <<< "$(box white)"
[ "$right" = 616 ] && [ "$bottom" = 336 ] || fail "plate not 24 px from the corner: $(box white)"
[ "$(level white darkest)" = 89 ] || fail "plate level: $(level white darkest)"
# A frame whose rows run bottom-up gets the same caption in the same place.
[ "$(box white-bottom-up)" = "$(box white)" ] || fail "bottom-up frame: $(box white-bottom-up)"
[ "$(level white lightest)" -ge 240 ] && [ "$(level black lightest)" -ge 240 ] || fail "text not light"
IFS=, read -r bleft btop bright bbottom <<< "$(box black)"
[ "$bleft" -ge "$left" ] && [ "$btop" -ge "$top" ] && [ "$bright" -le "$right" ] && [ "$bbottom" -le "$bottom" ] ||
  fail "text outside its plate: $(box black) in $(box white)"
plate96=$((bottom - top))

probe draw 640 360 192 "$(windows_path "$artefacts/slideshow_caption_192.bmp")"
IFS=, read -r left top right bottom <<< "$(box white)"
[ "$right" = 592 ] && [ "$bottom" = 312 ] || fail "plate not 48 px from the corner at 192 dpi: $(box white)"
[ $((bottom - top)) -ge $((plate96 * 9 / 5)) ] || fail "plate at 192 dpi $((bottom - top)) px tall against $plate96"

# Too small for a plate with its margins: nothing drawn.
probe draw 120 40 96 "$(windows_path "$work/small.bmp")"
expect 'drawn on=white box=none'
expect 'drawn on=black box=none'
expect 'drawn on=white-bottom-up box=none'
finish
