# An animated GIF plays its frames: red, green and blue, half a second each, over and over. Three
# looks 350 ms apart see at least two of its colours; a still picture would show one. A still
# picture after it in the show is decoded while it plays, and does not stop it.
. "$(dirname "$0")/../lib.sh"
engine_saver "Moving Show"
convert -delay 50 -size 320x240 xc:'#ff0000' xc:'#00ff00' xc:'#0000ff' -loop 0 "$product/moving.gif"
convert -size 320x240 xc:'#808080' "BMP3:$product/still.bmp"

drive wait-window:SaverkitSlideshow sleep:1200 "$(shot animation_1)" sleep:350 "$(shot animation_2)" sleep:350 \
  "$(shot animation_3)" key:32 -- "$work/$name.scr" /s
expect 'exit 0'
expect_no_match '^fail'
seen=""
for look in 1 2 3; do
  for colour in ff0000 00ff00 0000ff; do
    shown=$(region_pixels "$artefacts/animation_$look.png" 200x200+412+284 "$colour")
    [ "${shown:-0}" -ge 35000 ] && seen="$seen $colour"
  done
done
colours=$(printf '%s\n' $seen | sort -u | wc -l)
echo "colours seen in three looks:$seen"
[ "$colours" -ge 2 ] || fail "the animation does not move (colours seen:$seen)"
finish
