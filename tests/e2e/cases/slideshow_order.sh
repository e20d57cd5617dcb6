# The slideshow engine in order: pictures come as Explorer lists them ("img2" before "img10"),
# and the next show goes on after the picture the last one showed. Shuffled, three shows of one
# picture each show all three pictures: each goes on in the round the last one left.
. "$(dirname "$0")/../lib.sh"
engine_saver "Ordered Show"
convert -size 320x240 "xc:#b03020" "BMP3:$product/img1.bmp"
convert -size 320x240 "xc:#2040b0" "BMP3:$product/IMG2.bmp"
convert -size 320x240 "xc:#c0a010" "BMP3:$product/img10.bmp"
wine reg add "$key" /v SecondsPerPicture /d 3 /f >/dev/null 2>&1

# shows_colour SHOT RRGGBB: the screenshot is that picture, all over.
shows_colour() {
  local shown; shown=$(pixels_of "$artefacts/$1.png" "$2")
  echo "$1: $shown pixels of #$2"
  [ "${shown:-0}" -ge 740000 ] || fail "$1 does not show #$2"
}

drive wait-window:SaverkitSlideshow sleep:1500 "$(shot order_first)" sleep:3000 "$(shot order_second)" key:32 \
  -- "$work/$name.scr" /s
expect 'exit 0'
shows_colour order_first b03020
shows_colour order_second 2040b0

drive wait-window:SaverkitSlideshow sleep:1500 "$(shot order_resumed)" key:32 -- "$work/$name.scr" /s
expect 'exit 0'
shows_colour order_resumed c0a010

wine reg add "$key" /v Order /d shuffled /f >/dev/null 2>&1
seen=
for run in 1 2 3; do
  drive wait-window:SaverkitSlideshow sleep:1500 "$(shot "shuffled_$run")" key:32 -- "$work/$name.scr" /s
  expect 'exit 0'
  for colour in b03020 2040b0 c0a010; do
    shown=$(pixels_of "$artefacts/shuffled_$run.png" "$colour")
    [ "${shown:-0}" -ge 740000 ] && seen="$seen $colour"
  done
done
echo "shuffled shows:$seen"
[ "$(printf '%s\n' $seen | sort -u | wc -l)" -eq 3 ] || fail "three shuffled shows did not show all three pictures:$seen"
finish
