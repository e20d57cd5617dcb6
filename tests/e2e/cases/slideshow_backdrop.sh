# A portrait picture on the landscape screen, red above and blue below: by default it stands over
# a blurred, darkened copy of itself (the bars beside it are dark red above and dark blue below,
# never black), with Backdrop "black" on black. With Caption "name" the file's name stands in
# the bottom-right corner in light text; without, the corner is the backdrop's. The author's show
# file in the product folder sets the same as the engine's default, below the user's own.
. "$(dirname "$0")/../lib.sh"
engine_saver "Backdrop Show"
convert -size 320x240 xc:'#ff0000' -size 320x240 xc:'#0000ff' -append "BMP3:$product/Harbour.bmp"

drive wait-window:SaverkitSlideshow sleep:1500 "$(shot backdrop_blurred)" key:32 -- "$work/$name.scr" /s
expect 'exit 0'
wine reg add "$key" /v Backdrop /d black /f >/dev/null 2>&1
wine reg add "$key" /v Caption /d name /f >/dev/null 2>&1
drive wait-window:SaverkitSlideshow sleep:1500 "$(shot backdrop_black_caption)" key:32 -- "$work/$name.scr" /s
expect 'exit 0'

# 3. No settings of the user's, the author's show file asks for black: black.
wine reg delete "$key" /f >/dev/null 2>&1
printf 'Backdrop=black\r\n' > "$product/saverkit-show.ini"
drive wait-window:SaverkitSlideshow sleep:1500 "$(shot backdrop_author_black)" key:32 -- "$work/$name.scr" /s
expect 'exit 0'
author_black=$(region_pixels "$artefacts/backdrop_author_black.png" 256x768+0+0 000000)
[ "${author_black:-0}" -eq $((256 * 768)) ] || fail "the author's Backdrop black is not followed ($author_black pixels)"

read -r top_r _ top_b <<< "$(mean_colour "$artefacts/backdrop_blurred.png" 200x200+20+60)"
read -r low_r _ low_b <<< "$(mean_colour "$artefacts/backdrop_blurred.png" 200x200+20+500)"
echo "left bar, blurred: top $top_r/$top_b, bottom $low_r/$low_b (red/blue)"
[ "$top_r" -ge 40 ] && [ "$top_r" -le 160 ] && [ "$top_r" -gt "$top_b" ] || fail "the bar above is not a darkened red"
[ "$low_b" -ge 40 ] && [ "$low_b" -le 160 ] && [ "$low_b" -gt "$low_r" ] || fail "the bar below is not a darkened blue"
black=$(region_pixels "$artefacts/backdrop_black_caption.png" 256x768+0+0 000000)
[ "${black:-0}" -eq $((256 * 768)) ] || fail "Backdrop black: the left bar is not black ($black pixels)"
# The picture itself is untouched by either.
[ "$(region_pixels "$artefacts/backdrop_blurred.png" 400x300+312+40 ff0000)" -eq 120000 ] || fail "the picture is not shown as it is"
# The caption: light text in the bottom-right corner, none there without it.
corner() { convert "$artefacts/$1.png" -crop 300x90+724+678 +repage -threshold 85% -format '%[fx:round(mean*w*h)]' info:; }
with=$(corner backdrop_black_caption) without=$(corner backdrop_blurred)
echo "light pixels in the corner: $with with the caption, $without without"
[ "$with" -ge 80 ] || fail "no caption in the corner"
[ "$without" -eq 0 ] || fail "light pixels in the corner without a caption"
finish
