# Two pictures and a video take their turns in name order: the yellow picture for its two
# seconds, then the video (a green second, then a blue one, with a sound track, the sound turned
# on) to its end, then the magenta picture, and round again. A damaged video among them is passed
# over like an unreadable picture, and a key ends the show.
. "$(dirname "$0")/../lib.sh"
engine_saver "Mixed Show"
convert -size 320x240 xc:'#ffff00' "BMP3:$product/a picture.bmp"
ffmpeg -loglevel error -f lavfi -i color=c=lime:s=320x240:d=1:r=25 -f lavfi -i color=c=blue:s=320x240:d=1:r=25 \
  -f lavfi -i sine=frequency=440:duration=2 -filter_complex '[0][1]concat=n=2:v=1:a=0[v]' -map '[v]' -map 2:a \
  -pix_fmt yuv420p -c:v libx264 -c:a aac "$product/b clip.mp4" || fail "ffmpeg"
head -c 20000 /dev/urandom > "$product/b damaged.mp4"
convert -size 320x240 xc:'#ff00ff' "BMP3:$product/c picture.bmp"
wine reg add "$key" /v SecondsPerPicture /d 2 /f >/dev/null 2>&1
wine reg add "$key" /v VideoSound /d on /f >/dev/null 2>&1
# This machine has no sound card: ALSA's null device takes the sound, so its whole path runs.
printf 'pcm.!default {\n  type null\n}\n' > "$work/asound.conf"
export ALSA_CONFIG_PATH="$work/asound.conf"

watch_show mixed 30 200 "$work/$name.scr" /s
expect 'exit 0'
expect_no_match '^fail'
runs=$(printf '%s' "$seen" | tr -d '-' | tr -s 'YGBM')
case "$runs" in *YGBM*|*GBMY*|*BMYG*|*MYGB*) ;; *) fail "the three did not come in order (runs: $runs)" ;; esac
case "$(printf '%s' "$runs" | sed 's/YGBM//g; s/GBMY//g; s/BMYG//g; s/MYGB//g')" in
  *YM*|*MG*|*GY*|*BY*|*YB*|*BG*|*GM*|*MB*) fail "something came out of turn (runs: $runs)" ;;
esac
finish
