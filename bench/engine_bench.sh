#!/usr/bin/env bash
# The screen saver engine as its watchers meet it, under Wine on a 1920x1080 display of its own:
#   first picture  ms from "/s" to the screen's centre showing a picture (one 6000x4000 photo)
#   key to exit    ms from a key, sent 200 ms into the decoding of a 48-megapixel photo, to the
#                  engine's end
#   peak memory    the largest private memory while a 12000x9000 photo is shown among small ones
#   processor      processor time over wall time for a show of small pictures, 8 s each, 20 s
#   change interval ms from one change to the next for 6000x4000 photos set to 3 s each
#   video          a 1080p30 H.264 clip (8 Mbit/s) alone, full screen for 30 s: processor share
#                  and peak memory of the engine's process (Linux's view), ms from "/s" to its
#                  first frame, and frames shown against frames due (the engine's own count)
#
#   bench/engine_bench.sh [--runs N] [--video-only]
#
# Needs the win32 build (slideshow.scr, engine_probe.exe). Pictures are made once under
# build/bench/engine/; the prefix is the benchmarks' own, build/bench/wineprefix (copied from
# build/wineprefix on first use), whose wine server is stopped at the end.
set -euo pipefail
runs=5
video_only=
while [ $# -gt 0 ]; do
  case $1 in
    --runs) runs=${2:?--runs needs a number}; shift ;;
    --video-only) video_only=1 ;;
    -h|--help) sed -n '2,17p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "usage: bench/engine_bench.sh [--runs N] [--video-only]" >&2; exit 2 ;;
  esac
  shift
done
[[ $runs =~ ^[1-9][0-9]*$ ]] || { echo "engine_bench: --runs wants a positive number" >&2; exit 2; }
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
bin=build/win32/bin
for needed in "$bin/slideshow.scr" "$bin/engine_probe.exe"; do
  [ -f "$needed" ] || { echo "engine_bench: $needed is missing; build the win32 preset" >&2; exit 1; }
done
say() { printf 'engine_bench: %s\n' "$*" >&2; }

# --- pictures, made once --------------------------------------------------------------------------
pictures=build/bench/engine
if [ ! -f "$pictures/.made-2" ]; then
  say "making the pictures (once)"
  mkdir -p "$pictures"
  convert -size 6000x4000 gradient:'#204060-#e0c080' -quality 90 "$pictures/photo-24mp.jpg"
  convert -size 8000x6000 gradient:'#603020-#80c0e0' -quality 90 "$pictures/photo-48mp.jpg"
  convert -size 12000x9000 gradient:'#206040-#c0e080' -quality 90 "$pictures/photo-108mp.jpg"
  for colour in 2060c0 c06020 20c060; do
    convert -size 1600x1200 "xc:#$colour" -quality 90 "$pictures/small-$colour.jpg"
    convert -size 6000x4000 "xc:#$colour" -quality 90 "$pictures/interval-$colour.jpg"
  done
  touch "$pictures/.made-2"
fi
if [ ! -f "$pictures/video-1080p30.mp4" ]; then
  say "making the 1080p30 clip (once)"
  ffmpeg -loglevel error -y -f lavfi -i testsrc2=s=1920x1080:r=30:d=10 -c:v libx264 -b:v 8M -maxrate 8M \
    -bufsize 16M -pix_fmt yuv420p -f mp4 "$pictures/video-1080p30.mp4.part"
  mv "$pictures/video-1080p30.mp4.part" "$pictures/video-1080p30.mp4"
fi

# --- Wine, on a display of its own -------------------------------------------------------------------
export WINEPREFIX=$root/build/bench/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES=winemenubuilder.exe=d
if [ ! -f "$WINEPREFIX/.saverkit-ready" ]; then
  [ -f build/wineprefix/.saverkit-ready ] || { say "no Wine prefix yet: run scripts/setup"; exit 1; }
  say "copying build/wineprefix to build/bench/wineprefix (once)"
  rm -rf "$WINEPREFIX" && mkdir -p build/bench && cp -a build/wineprefix "$WINEPREFIX"
fi
display=
for candidate in $(seq 141 180); do
  [ -e /tmp/.X11-unix/X$candidate ] || [ -e /tmp/.X$candidate-lock ] && continue
  display=$candidate && break
done
Xvfb :$display -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
export DISPLAY=:$display
trap 'wineserver -k >/dev/null 2>&1 || true; kill $xvfb 2>/dev/null || true' EXIT
for _ in $(seq 1 50); do [ -e /tmp/.X11-unix/X$display ] && break; sleep 0.1; done
wineserver -p 2>/dev/null || true
wine wineboot >/dev/null 2>&1 || true
drive_c=$WINEPREFIX/drive_c

# saver NAME FILE...: the engine installed as NAME.scr with these pictures, 8 s each (or
# $seconds), in order.
saver() {
  local name=$1; shift
  rm -rf "$drive_c/ProgramData/Vantrel/$name" && mkdir -p "$drive_c/ProgramData/Vantrel/$name"
  cp "$@" "$drive_c/ProgramData/Vantrel/$name/"
  cp "$bin/slideshow.scr" "$drive_c/windows/syswow64/$name.scr"
  wine reg add "HKCU\\Software\\Saverkit\\Slideshow\\$name" /v SecondsPerPicture /d "${seconds:-8}" /f >/dev/null 2>&1
  wine reg add "HKCU\\Software\\Saverkit\\Slideshow\\$name" /v Order /d sorted /f >/dev/null 2>&1
}
# probe NAME ARGS...: one run of the engine; prints the probe's report.
probe() {
  local name=$1; shift
  wine "$bin/engine_probe.exe" "C:\\windows\\system32\\$name.scr" "$@" 2>/dev/null | tr -d '\r'
}
value() { awk -v key="$1" '$1 == key { print $2 }'; }
stats() { printf '%s\n' "$@" | sort -g | awk '{v[NR]=$1} END {m = NR % 2 ? v[(NR+1)/2] : (v[NR/2]+v[NR/2+1])/2; printf "%s / %s", v[1], m}'; }

saver "Bench First" "$pictures/photo-24mp.jpg"
saver "Bench Key" "$pictures/photo-48mp.jpg"
saver "Bench Memory" "$pictures/photo-108mp.jpg" "$pictures"/small-*.jpg
saver "Bench Cpu" "$pictures"/small-*.jpg
seconds=3 saver "Bench Interval" "$pictures"/interval-*.jpg
saver "Bench Video" "$pictures/video-1080p30.mp4"
if [ -z "$video_only" ]; then
probe "Bench First" --key-after 6000 >/dev/null  # warms the caches of Wine and the disk

first=() exit_times=() memory=()
for ((run = 1; run <= runs; run++)); do
  report=$(probe "Bench First" --key-after 6000)
  first+=("$(value first-picture <<< "$report")")
  report=$(probe "Bench Key" --key-after 200)
  exit_times+=("$(value key-to-exit <<< "$report")")
  report=$(probe "Bench Memory" --key-after 12000)
  memory+=("$(value peak-private-mb <<< "$report")")
  say "run $run: first picture ${first[-1]} ms, key to exit ${exit_times[-1]} ms, peak ${memory[-1]} MB"
done
cpu=$(probe "Bench Cpu" --run 20000 | value cpu-percent)
interval=$(probe "Bench Interval" --run 16000 --changes 1 | value change-interval)
fi
# The engine says on the debugger channel how many frames it showed and dropped. Wine decodes
# video on threads of GStreamer's own, which Windows' process times do not see: the processor
# share and memory are read from Linux's view of the engine's process.
WINEDEBUG=+debugstr wine "$bin/engine_probe.exe" 'C:\windows\system32\Bench Video.scr' --run 30000 \
  > build/bench/video-report.txt 2>&1 &
probe_pid=$!
engine_pid=
for _ in $(seq 1 100); do
  engine_pid=$(pgrep -f 'system32.Bench Video.scr /s' | head -1) && [ -n "$engine_pid" ] && break
  sleep 0.1
done
# Busy time between 8 s and 28 s: the steady playing, without Wine's and GStreamer's start.
busy_at() { sed 's/.*) //' "/proc/$engine_pid/stat" 2>/dev/null | awk '{ print $12 + $13 }'; }
sleep 8
busy_start=$(busy_at || echo 0)
sleep 20
busy_end=$(busy_at || echo 0)
video_cpu=$(awk -v a="$busy_start" -v b="$busy_end" -v ticks="$(getconf CLK_TCK)" 'BEGIN { printf "%.1f", 100 * (b - a) / ticks / 20 }')
video_rss=$(awk '/^VmHWM:/ { printf "%.0f", $2 / 1024 }' "/proc/$engine_pid/status" 2>/dev/null || echo "?")
wait $probe_pid || true
video_report=$(tr -d '\r' < build/bench/video-report.txt)
video_first=$(value first-picture <<< "$video_report")
video_shown=$(sed -n 's/.*video frames shown \([0-9]*\), dropped \([0-9]*\).*/\1/p' <<< "$video_report" | tail -1)
video_dropped=$(sed -n 's/.*video frames shown \([0-9]*\), dropped \([0-9]*\).*/\2/p' <<< "$video_report" | tail -1)
# Due: every frame of the clip's 30 frames a second from the first frame to the key (the first is
# the slide's own).
video_due=$(awk -v first="$video_first" 'BEGIN { printf "%d", (30000 - first) * 30 / 1000 }')

echo
if [ -z "$video_only" ]; then
echo "engine at 1920x1080 under Wine, $runs runs (min / median)"
echo "first picture (6000x4000 photo):        $(stats "${first[@]}") ms"
echo "key to exit (during a 48 MP decode):    $(stats "${exit_times[@]}") ms"
echo "peak private memory (12000x9000 photo): $(stats "${memory[@]}") MB"
echo "processor share (small pictures, 8 s):  $cpu %"
echo "change interval (24 MP photos, set 3 s): $interval ms"
fi
echo "video 1080p30, 30 s: processor ${video_cpu} % of one core (all threads, 8 s to 28 s), peak resident ${video_rss} MB,"
echo "  peak private (Windows' view, without GStreamer's threads) $(value peak-private-mb <<< "$video_report") MB,"
echo "  first frame ${video_first} ms, frames shown ${video_shown:-?} + 1 of ${video_due} due, dropped ${video_dropped:-?}"
