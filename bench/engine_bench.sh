#!/usr/bin/env bash
# The screen saver engine as its watchers meet it, under Wine on a 1920x1080 display of its own:
#   first picture  ms from "/s" to the screen's centre showing a picture (one 6000x4000 photo)
#   key to exit    ms from a key, sent 200 ms into the decoding of a 48-megapixel photo, to the
#                  engine's end
#   peak memory    the largest private memory while a 12000x9000 photo is shown among small ones
#   processor      processor time over wall time for a show of small pictures, 8 s each, 20 s
#   change interval ms from one change to the next for 6000x4000 photos set to 3 s each
#
#   bench/engine_bench.sh [--runs N]
#
# Needs the win32 build (slideshow.scr, engine_probe.exe). Pictures are made once under
# build/bench/engine/; the prefix is the benchmarks' own, build/bench/wineprefix (copied from
# build/wineprefix on first use), whose wine server is stopped at the end.
set -euo pipefail
runs=5
while [ $# -gt 0 ]; do
  case $1 in
    --runs) runs=${2:?--runs needs a number}; shift ;;
    -h|--help) sed -n '2,14p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "usage: bench/engine_bench.sh [--runs N]" >&2; exit 2 ;;
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

echo
echo "engine at 1920x1080 under Wine, $runs runs (min / median)"
echo "first picture (6000x4000 photo):        $(stats "${first[@]}") ms"
echo "key to exit (during a 48 MP decode):    $(stats "${exit_times[@]}") ms"
echo "peak private memory (12000x9000 photo): $(stats "${memory[@]}") MB"
echo "processor share (small pictures, 8 s):  $cpu %"
echo "change interval (24 MP photos, set 3 s): $interval ms"
