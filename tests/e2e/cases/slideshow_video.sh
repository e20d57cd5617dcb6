# A video alone in the folder plays and loops: a clip of a red, a green and a blue second, made
# now. Looks a quarter of a second apart see its colours in that order and red again after blue
# (the two seconds a picture stands never cut it short), and a key ends the show at once.
. "$(dirname "$0")/../lib.sh"
engine_saver "Video Show"
ffmpeg -loglevel error -f lavfi -i color=c=red:s=320x240:d=1:r=25 -f lavfi -i color=c=lime:s=320x240:d=1:r=25 \
  -f lavfi -i color=c=blue:s=320x240:d=1:r=25 -filter_complex '[0][1][2]concat=n=3:v=1:a=0' -pix_fmt yuv420p \
  -c:v libx264 "$product/colours.mp4" || fail "ffmpeg"
wine reg add "$key" /v SecondsPerPicture /d 2 /f >/dev/null 2>&1

watch_show video 18 200 "$work/$name.scr" /s
expect 'exit 0'
expect_no_match '^fail'
runs=$(printf '%s' "$seen" | tr -d '-' | tr -s 'RGB')
case "$runs" in *RGBR*|*GBRG*|*BRGB*) ;; *) fail "the video's colours did not come in order and again (runs: $runs)" ;; esac
case "$runs" in *RB*|*GR*|*BG*) fail "a colour came out of order (runs: $runs)" ;; esac
finish
