# The slideshow engine shuffled at 2 s with one readable picture among unreadable ones: the
# readable picture is on the screen at every look for 40 s; the unreadable ones are passed over
# for good instead of ending the show on the "no pictures" message.
. "$(dirname "$0")/../lib.sh"
engine_saver "Steady Show"
mkdir -p "$product/album/older"
convert -size 320x240 "xc:#30a050" "BMP3:$product/album/only.bmp"
head -c 3000 /dev/urandom > "$product/album/broken.jpg"
head -c 2000 /dev/urandom > "$product/album/older/broken.png"
head -c 900 /dev/urandom > "$product/broken.gif"
wine reg add "$key" /v Order /d shuffled /f >/dev/null 2>&1
wine reg add "$key" /v SecondsPerPicture /d 2 /f >/dev/null 2>&1

steps=(wait-window:SaverkitSlideshow sleep:1500 "$(shot never_gives_up_0)")
for look in 1 2 3 4 5 6 7 8 9; do steps+=(sleep:4300 "$(shot "never_gives_up_$look")"); done
drive --timeout=20000 "${steps[@]}" sleep:500 key:32 -- "$work/$name.scr" /s
expect 'exit 0'
expect_no_match '^fail'
for look in 0 1 2 3 4 5 6 7 8 9; do
  shown=$(pixels_of "$artefacts/never_gives_up_$look.png" 30a050)
  echo "look $look: picture pixels $shown of 786432"
  [ "${shown:-0}" -ge 740000 ] || fail "look $look does not show the readable picture ($shown pixels)"
done
finish
