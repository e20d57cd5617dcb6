# The slideshow engine with nothing it can show: the message stands, the folder is read again
# every minute, and a picture copied in meanwhile is on the screen after the next reading.
. "$(dirname "$0")/../lib.sh"
engine_saver "Waiting Show"
head -c 3000 /dev/urandom > "$product/broken.jpg"
convert -size 320x240 "xc:#8040c0" "BMP3:$work/later.bmp"

# The picture arrives while the message is on the screen.
on_shot() { case $1 in */added_before.png) cp "$work/later.bmp" "$product/later.bmp" ;; esac; }
drive --timeout=20000 wait-window:SaverkitSlideshow sleep:1500 "$(shot added_before)" sleep:61000 \
  "$(shot added_after)" key:32 -- "$work/$name.scr" /s
expect 'exit 0'
text=$(pixels_of "$artefacts/added_before.png" c8c8c8)
shown=$(pixels_of "$artefacts/added_after.png" 8040c0)
echo "message pixels before: $text; picture pixels after: $shown"
[ "${text:-0}" -gt 50 ] || fail "no message while nothing can be shown"
[ "${shown:-0}" -ge 740000 ] || fail "the picture added later is not shown ($shown pixels)"
finish
