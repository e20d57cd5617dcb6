# A key while a 108-megapixel photo is being decoded ends the show at once: the decoding runs
# beside the window, never in its way. A small picture shows first; the large one is decoded
# for the next change, 2 s later, and the key comes in the middle of it (decoding it takes
# Wine some seconds). The bound is generous; the figure belongs to bench/engine_bench.sh.
. "$(dirname "$0")/../lib.sh"
engine_saver "Large Show"
convert -size 320x240 xc:'#3070b0' "BMP3:$product/a small.bmp"
convert -size 12000x9000 gradient:'#206040-#c0e080' -quality 80 "$product/b large.jpg"
wine reg add "$key" /v SecondsPerPicture /d 2 /f >/dev/null 2>&1

drive wait-window:SaverkitSlideshow sleep:1000 "$(shot large_picture_first)" sleep:1300 key:32 ends-within:1000 \
  -- "$work/$name.scr" /s
expect 'exit 0'
expect_no_match '^fail'
shown=$(pixels_of "$artefacts/large_picture_first.png" 3070b0)
[ "${shown:-0}" -ge 700000 ] || fail "the small picture was not shown first ($shown pixels)"
finish
