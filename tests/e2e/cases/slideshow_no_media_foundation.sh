# A Windows without Media Foundation (an "N" edition without the Media Feature Pack), made here by
# keeping Wine from loading mfplat: the show passes over the video and shows the picture, and the
# settings say in one line why videos do not play.
. "$(dirname "$0")/../lib.sh"
engine_saver "Silent Show"
convert -size 320x240 xc:'#ffff00' "BMP3:$product/a picture.bmp"
ffmpeg -loglevel error -f lavfi -i color=c=red:s=320x240:d=2:r=25 -pix_fmt yuv420p -c:v libx264 "$product/b clip.mp4" ||
  fail "ffmpeg"
wine reg add "$key" /v SecondsPerPicture /d 2 /f >/dev/null 2>&1
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;mfplat=d"

watch_show no_media 12 300 "$work/$name.scr" /s
expect 'exit 0'
case "$seen" in *R*) fail "the video played without Media Foundation ($seen)" ;; esac
case "$seen" in *YYY*) ;; *) fail "the picture was not shown ($seen)" ;; esac

drive wait-window:#32770 text:114 click:Cancel -- "$work/$name.scr" /c
expect 'text id=114 text="Videos are passed over: this Windows has no Media Foundation."'
finish
