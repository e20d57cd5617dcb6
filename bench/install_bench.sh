#!/usr/bin/env bash
# A quiet install under Wine, timed against an NSIS installer of the same files and against
# plainly copying the same bytes; and against the same installer with its digest record emptied,
# which shows what checking the package's digest costs.
#
#   bench/install_bench.sh [--small|--large|--both] [--tiny] [--runs N]
#
# Run from anywhere; paths are taken relative to the repository. Needs the native and win32
# builds. Content is generated once (deterministically) under build/bench/install/ and reused;
# the installers are rebuilt on every run so that a changed stub is what gets measured.
#
# Wine: a prefix of its own, so that the tests (which use build/wineprefix) and this benchmark
# never share a wine server. Default: build/bench/wineprefix, copied once from build/wineprefix.
# WINEPREFIX=... picks another; its wine server is stopped at the end, so it must not be one that
# something else is using.
set -euo pipefail

usage() {
  echo "usage: bench/install_bench.sh [--small|--large|--both] [--tiny] [--runs N]"
  echo "  --small   the ~48 MB package;  --large  the ~236 MB package;  --both  both (default)"
  echo "  --tiny    a package of a few kB, against 'wine cmd /c exit': what starting costs"
  echo "  (no package named: --both)"
  echo "  --runs N  timed runs of each installer and of each copy (default 5)"
}

sizes=()
runs=5
tiny=0
while [ $# -gt 0 ]; do
  case $1 in
    --small) sizes+=(small) ;;
    --large) sizes+=(large) ;;
    --both) sizes+=(small large) ;;
    --tiny) tiny=1 ;;
    --runs) runs=${2:?--runs needs a number}; shift ;;
    -h|--help) usage; exit 0 ;;
    *) usage >&2; exit 2 ;;
  esac
  shift
done
[[ $runs =~ ^[1-9][0-9]*$ ]] || { echo "install_bench: --runs wants a positive number" >&2; exit 2; }
[ ${#sizes[@]} -gt 0 ] || [ "$tiny" = 1 ] || sizes=(small large)

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
work=build/bench/install
saverpack=build/native/bin/saverpack
stub=build/win32/bin/saverstub.exe
fixture=build/win32/bin/versioned_fixture.dll
say() { printf 'install_bench: %s\n' "$*" >&2; }

for needed in "$saverpack:native" "$stub:win32" "$fixture:win32"; do
  file=${needed%:*} preset=${needed##*:}
  if [ ! -f "$file" ]; then
    say "$file is missing; build it with: cmake --preset $preset && cmake --build --preset $preset"
    exit 1
  fi
done

if ! command -v makensis >/dev/null; then
  say "installing Debian's nsis package"
  export DEBIAN_FRONTEND=noninteractive
  apt-get install -y -q --no-install-recommends nsis >/dev/null 2>&1 ||
    { apt-get update -q >/dev/null && apt-get install -y -q --no-install-recommends nsis >/dev/null; }
fi

# --- content -----------------------------------------------------------------------------------
# Shaped like a big real saver: one large stored file in slot 7 (a movie, say: mostly
# incompressible), a small imploded engine, and a data folder whose every item implodes to
# something smaller (text-like files and files that are partly random), so that all of them take
# the explode path. The small package is the large one scaled down five times. MB = 10^6 bytes.
declare -A slot7_bytes=([large]=191000000 [small]=38000000)
declare -A data_bytes=([large]=95000000 [small]=19000000)
declare -A item_count=([large]=300 [small]=60)
generator_version=4

generate_content() {
  local size=$1 dir=$work/$1/content
  local stamp="$generator_version ${slot7_bytes[$size]} ${data_bytes[$size]} ${item_count[$size]}"
  if [ -f "$dir/.stamp" ] && [ "$(cat "$dir/.stamp")" = "$stamp" ]; then return; fi
  say "generating the $size package's content"
  rm -rf "$dir" && mkdir -p "$dir"
  python3 - "$dir" "${slot7_bytes[$size]}" "${data_bytes[$size]}" "${item_count[$size]}" <<'PY'
import os, random, sys
out, slot7, data_total, items = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), int(sys.argv[4])
rng = random.Random(20261207 + items)   # the same bytes every time for a given size

# Text with a word distribution like prose or markup: made-up words, Zipf-weighted, in lines
# of a few shapes. Implodes to about 0.36, as documents and scripts do.
syllables = "ba ca de el fo ga hi in jo ka la me ne on pa qu re se ta un ve wa xe yo za th st er an or".split()
vocabulary = ["".join(rng.choice(syllables) for _ in range(rng.randint(1, 4))) for _ in range(6000)]
weights = [1.0 / (rank + 1) for rank in range(len(vocabulary))]
def text_block(size):
    parts, length = [], 0
    while length < size:
        words = rng.choices(vocabulary, weights, k=rng.randint(4, 18))
        shape = rng.random()
        if shape < 0.6:
            line = " ".join(words).capitalize() + ".\r\n"
        elif shape < 0.95:
            line = '  <item id="%d" kind="%s">%s</item>\r\n' % (rng.randint(0, 999), words[0], " ".join(words[1:]))
        else:
            line = ";".join(str(rng.randint(0, 255)) for _ in range(len(words))) + "\r\n"
        parts.append(line)
        length += len(line)
    return "".join(parts).encode("ascii")[:size]
pool = text_block(8 << 20)
def text(size):
    # Slices of one pool: repeats lie far beyond the codec's window, so they cost nothing extra.
    start = rng.randrange(0, len(pool) - size) if size < len(pool) else 0
    return (pool[start:start + size] if size < len(pool) else (pool * (size // len(pool) + 1))[:size])
def mixed(size, random_share, chunk=4096):
    # Random and text chunks kept at the share throughout, so even a small file still implodes.
    parts, length, random_length = [], 0, 0
    while length < size:
        n = min(chunk, size - length)
        if random_length < random_share * (length + n):
            parts.append(rng.randbytes(n))
            random_length += n
        else:
            parts.append(text(n))
        length += n
    return b"".join(parts)

def write(path, data):
    full = os.path.join(out, path)
    os.makedirs(os.path.dirname(full), exist_ok=True)
    with open(full, "wb") as f:
        f.write(data)

# Slot 7: written in 1 MB pieces, 15 parts in 16 random (a movie with a little text in it).
with open(os.path.join(out, "further.bin"), "wb") as f:
    left = slot7
    while left > 0:
        n = min(1 << 20, left)
        f.write(mixed(n, 0.9, 1 << 16))
        left -= n
write("engine.scr", mixed(300000, 0.5, 4096))

# The data folder: sizes spread log-uniformly, then scaled to the total; text in three folders,
# half-random files (pictures, sounds) in the fourth: about 0.47 packed overall.
raw = [2 ** rng.uniform(13, 21) for _ in range(items)]
scale = data_total / sum(raw)
sizes = [max(1024, int(r * scale)) for r in raw]
sizes[-1] += data_total - sum(sizes)
folders = {"text": ".xml", "scenes": ".swf", "scripts": ".txt", "pages": ".htm"}
for number, size in enumerate(sizes, 1):
    folder = list(folders)[number % 4]
    name = "%s/%s/item%03d%s" % ("data", folder if number % 3 else folder + "/more", number, folders[folder])
    write(name, mixed(size, 0.5) if folder == "scenes" else text(size))
PY
  echo "$stamp" > "$dir/.stamp"
}

# --- the three ways of putting the files in place ----------------------------------------------
saver_name() { [ "$1" = large ] && echo "Bench Large" || echo "Bench Small"; }

build_saverkit() {
  local size=$1 dir=$work/$1
  cat > "$dir/content/manifest.json" <<JSON
{
  "saverName": "$(saver_name "$size")",
  "presentationMode": "quiet",
  "slots": {
    "6": {"file": "engine.scr", "implode": true},
    "7": {"file": "further.bin"}
  },
  "data": {"folder": "data"}
}
JSON
  "$saverpack" build "$dir/content/manifest.json" -o "$dir/Setup.exe" --stub "$stub" --no-progress
  unbind "$dir/Setup.exe" "$dir/Unbound.exe"
}

# unbind INSTALLER COPY: the installer with its digest record emptied, as a package appended by
# hand has it: the stub then copies the package without hashing it.
unbind() {
  python3 "$root/tests/e2e/unbind.py" "$1" "$2"
}

# The same files into the same places: the product folder under C:\ProgramData\Vantrel, the
# engine into the (32-bit) system folder, a saver record, an uninstall entry. zlib, not solid:
# a solid archive of this size takes makensis minutes and is not how such installers are made.
build_nsis() {
  local size=$1 dir=$work/$1 name
  name=$(saver_name "$size")
  if [ -f "$dir/nsis/Setup.exe" ] && [ "$dir/nsis/Setup.exe" -nt "$dir/content/.stamp" ]; then return; fi
  say "building the NSIS installer for the $size package"
  mkdir -p "$dir/nsis"
  head -c 1240 /dev/zero > "$dir/nsis/saver.dat"
  cp "$dir/content/engine.scr" "$dir/nsis/$name.scr"
  cat > "$dir/nsis/setup.nsi" <<NSI
Unicode true
Name "$name"
OutFile "Setup.exe"
SetCompressor zlib
RequestExecutionLevel admin
SilentInstall silent
Section
  SetShellVarContext all
  SetOutPath "\$APPDATA\\Vantrel\\$name"
  File "../content/further.bin"
  File "saver.dat"
  File /r "../content/data/*"
  SetOutPath "\$SYSDIR"
  File "$name.scr"
  WriteRegStr HKLM "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$name" "DisplayName" "$name Screen Saver"
  WriteRegStr HKLM "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$name" "UninstallString" "\$SYSDIR\\$name.scr /u"
SectionEnd
NSI
  (cd "$dir/nsis" && makensis -V1 setup.nsi)
}

# The copy baseline, done by Wine itself (cmd's copy and xcopy go through CopyFile, as an
# installer's own copying would): the installer once to a working file, then every installed
# file once from the generated content into the product and system folders. Wine's cmd gets
# "copy ... || exit" wrong (it always exits), hence the errorlevel checks.
write_copy_script() {
  local size=$1 dir=$work/$1 name
  name=$(saver_name "$size")
  local content
  content=$(winpath "$root/$dir/content")
  cat > "$dir/copy.cmd" <<CMD
@echo off
mkdir "%LOCALAPPDATA%\\Vantrel\\bench-copy" 2>nul
copy /b /y "$(winpath "$root/$dir/Setup.exe")" "%LOCALAPPDATA%\\Vantrel\\bench-copy\\temp.dat" >nul
if errorlevel 1 exit /b 1
mkdir "%ProgramData%\\Vantrel\\$name" 2>nul
copy /b /y "$content\\further.bin" "%ProgramData%\\Vantrel\\$name\\further.bin" >nul
if errorlevel 1 exit /b 1
xcopy /e /i /q /y "$content\\data" "%ProgramData%\\Vantrel\\$name" >nul
if errorlevel 1 exit /b 1
copy /b /y "$content\\engine.scr" "%windir%\\system32\\$name.scr" >nul
if errorlevel 1 exit /b 1
rmdir /s /q "%LOCALAPPDATA%\\Vantrel\\bench-copy"
exit /b 0
CMD
  sed -i 's/$/\r/' "$dir/copy.cmd"
}

winpath() { printf 'Z:%s' "$(printf '%s' "$1" | tr '/' '\\')"; }

# --- Wine ----------------------------------------------------------------------------------------
requested_prefix=${WINEPREFIX:-}
# shellcheck source=../scripts/wine-env.sh
source scripts/wine-env.sh
if [ -n "$requested_prefix" ]; then
  WINEPREFIX=$requested_prefix
else
  WINEPREFIX=$root/build/bench/wineprefix
  if [ ! -f "$WINEPREFIX/.saverkit-ready" ]; then
    [ -f build/wineprefix/.saverkit-ready ] || { say "no Wine prefix yet: run scripts/setup"; exit 1; }
    say "copying build/wineprefix to build/bench/wineprefix (once)"
    rm -rf "$WINEPREFIX" && mkdir -p build/bench && cp -a build/wineprefix "$WINEPREFIX"
  fi
fi
export WINEPREFIX
drive_c=$WINEPREFIX/drive_c
trap stop_wine_services EXIT
start_wine_services

# The installer asks for the Flash player's version even when quiet; with none registered it
# polls for ten seconds and gives up. A registered control file with a version stands in.
register_player() {
  cp "$fixture" "$drive_c/windows/syswow64/saverkit-player.ocx"
  wine reg add 'HKCR\CLSID\{D27CDB6E-AE6D-11cf-96B8-444553540000}\InprocServer32' /ve \
    /d 'C:\windows\system32\saverkit-player.ocx' /f >/dev/null 2>&1
}
register_player

# Everything any of the three put in place, so that each run starts from the same state; the
# sync keeps the previous run's write-back out of the next run's time.
clean_up() {
  local name=$1
  rm -rf "$drive_c/ProgramData/Vantrel/$name" "$drive_c/windows/syswow64/$name.scr" \
    "$drive_c/windows/system32/$name.scr"
  rm -rf "$drive_c"/users/*/AppData/Local/Vantrel/ZOR* "$drive_c"/users/*/AppData/Local/Vantrel/bench-copy
  wine reg delete "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$name" /f >/dev/null 2>&1 || true
  sync
}

# time_run SECONDS_VAR COMMAND...: wall time of one run; the run must exit with 0.
now() { date +%s.%N; }
# shellcheck disable=SC2034  # "seconds" names the caller's variable
time_run() {
  local -n seconds=$1
  shift
  local start end code=0
  start=$(now)
  "$@" </dev/null >/dev/null 2>&1 || code=$?
  end=$(now)
  if [ "$code" -ne 0 ]; then say "failed with exit code $code: $*"; exit 1; fi
  seconds=$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f", b - a }')
}

# The Linux cp of the same bytes inside the prefix: what the disk and page cache alone cost,
# for reference next to Wine's own copy.
linux_copy() {
  local dir=$1 name=$2 scratch
  scratch=$drive_c/users/$(id -un)/AppData/Local/Vantrel/bench-copy  # Wine names it after the user
  mkdir -p "$scratch" "$drive_c/ProgramData/Vantrel/$name"
  cp "$dir/Setup.exe" "$scratch/temp.dat"
  cp "$dir/content/further.bin" "$drive_c/ProgramData/Vantrel/$name/"
  cp -r "$dir/content/data/." "$drive_c/ProgramData/Vantrel/$name/"
  cp "$dir/content/engine.scr" "$drive_c/windows/syswow64/$name.scr"
  rm -rf "$scratch"
}

# check_installed SIZE: the product folder holds every data item and slot 7, byte for byte.
check_installed() {
  local dir=$work/$1 product
  product=$drive_c/ProgramData/Vantrel/$(saver_name "$1")
  if ! diff -rq "$dir/content/data" "$product" -x further.bin -x saver.dat >/dev/null ||
     ! cmp -s "$dir/content/further.bin" "$product/further.bin"; then
    say "the $1 install differs from its content"
    exit 1
  fi
}

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
stats() {  # prints "min median" of its arguments
  printf '%s\n' "$@" | sort -g | awk '{v[NR]=$1} END {m = NR % 2 ? v[(NR+1)/2] : (v[NR/2]+v[NR/2+1])/2; printf "%.3f %.3f", v[1], m}'
}

# The tiny package: what starting and ending cost, against Wine starting and ending a program
# that does nothing. A quiet-mode package of one small engine and two small data items.
tiny_round() {
  local dir=$work/tiny name="Bench Tiny"
  mkdir -p "$dir/content/data"
  seq 1 3000 > "$dir/content/data/notes.txt"
  seq 1 500 | sed 's/^/line /' > "$dir/content/data/more.txt"
  seq 1 5000 | head -c 20000 > "$dir/content/engine.scr"
  cat > "$dir/content/manifest.json" <<JSON
{
  "saverName": "$name",
  "presentationMode": "quiet",
  "slots": {"6": {"file": "engine.scr"}},
  "data": {"folder": "data"}
}
JSON
  "$saverpack" build "$dir/content/manifest.json" -o "$dir/Setup.exe" --stub "$stub" --no-progress 2>/dev/null
  clean_up "$name"; time_run discard wine "$dir/Setup.exe" /q
  local installs=() exits=() t
  for ((run = 1; run <= runs; run++)); do
    clean_up "$name"; time_run t wine "$dir/Setup.exe" /q; installs+=("$t")
    time_run t wine cmd /c exit; exits+=("$t")
  done
  clean_up "$name"
  say "tiny saverkit:     ${installs[*]}"
  say "tiny cmd /c exit:  ${exits[*]}"
  read -r tiny_sk_min tiny_sk_med <<< "$(stats "${installs[@]}")"
  read -r tiny_cmd_min tiny_cmd_med <<< "$(stats "${exits[@]}")"
}

declare -A results digest
for size in "${sizes[@]}"; do
  dir=$work/$size name=$(saver_name "$size")
  generate_content "$size"
  build_saverkit "$size"
  build_nsis "$size"
  write_copy_script "$size"
  installer_mb=$(( $(stat -c %s "$dir/Setup.exe") / 1000000 ))
  nsis_mb=$(( $(stat -c %s "$dir/nsis/Setup.exe") / 1000000 ))
  say "$size: Saverkit installer $installer_mb MB, NSIS installer $nsis_mb MB; $runs runs each"

  # One untimed round first: it fills the page cache and Wine's own caches for all three.
  clean_up "$name"; time_run discard wine "$dir/Setup.exe" /q; check_installed "$size"
  clean_up "$name"; time_run discard wine "$dir/nsis/Setup.exe" /S; check_installed "$size"
  clean_up "$name"; time_run discard wine cmd /c "$(winpath "$root/$dir/copy.cmd")"; check_installed "$size"

  clean_up "$name"; time_run discard wine "$dir/Unbound.exe" /q; check_installed "$size"
  saverkit=() nsis=() wine_copy=() linux_cp=() unbound=()
  # Interleaved, so that a slow spell of the machine falls on all of them alike.
  for ((run = 1; run <= runs; run++)); do
    clean_up "$name"; time_run t wine "$dir/Setup.exe" /q; saverkit+=("$t")
    clean_up "$name"; time_run t wine "$dir/Unbound.exe" /q; unbound+=("$t")
    clean_up "$name"; time_run t wine "$dir/nsis/Setup.exe" /S; nsis+=("$t")
    clean_up "$name"; time_run t wine cmd /c "$(winpath "$root/$dir/copy.cmd")"; wine_copy+=("$t")
    clean_up "$name"; time_run t linux_copy "$dir" "$name"; linux_cp+=("$t")
  done
  clean_up "$name"
  results[$size]="$installer_mb $(stats "${saverkit[@]}") $(stats "${nsis[@]}") $(stats "${wine_copy[@]}") $(stats "${linux_cp[@]}")"
  digest[$size]="$(stats "${saverkit[@]}") $(stats "${unbound[@]}")"
  say "$size unbound:  ${unbound[*]}"
  say "$size saverkit: ${saverkit[*]}"
  say "$size nsis:     ${nsis[*]}"
  say "$size copy:     ${wine_copy[*]}"
  say "$size cp:       ${linux_cp[*]}"
done

# Ratios are of medians; "copy" is Wine's copy (cmd copy/xcopy), "cp" the Linux one.
echo
printf '%-6s %5s | %-11s | %-11s | %-11s | %-11s | %-8s %-8s %-8s\n' \
  size MB "saverkit" "nsis" "wine copy" "linux cp" "sk/copy" "sk/nsis" "sk/cp"
printf '%-6s %5s | %-11s | %-11s | %-11s | %-11s |\n' "" "" "min  median" "min  median" "min  median" "min  median"
for size in "${sizes[@]}"; do
  read -r mb sk_min sk_med ns_min ns_med cp_min cp_med lx_min lx_med <<< "${results[$size]}"
  printf '%-6s %5s | %5s %5s | %5s %5s | %5s %5s | %5s %5s | %-8s %-8s %-8s\n' "$size" "$mb" \
    "$sk_min" "$sk_med" "$ns_min" "$ns_med" "$cp_min" "$cp_med" "$lx_min" "$lx_med" \
    "$(ratio "$sk_med" "$cp_med")" "$(ratio "$sk_med" "$ns_med")" "$(ratio "$sk_med" "$lx_med")"
done
echo "(seconds of wall time per run, $runs runs each; ratios of medians)"
met() { awk -v r="$1" -v g="$2" 'BEGIN { print (r <= g) ? "met" : "not met" }'; }
for size in "${sizes[@]}"; do
  read -r _ _ sk_med _ ns_med _ cp_med _ _ <<< "${results[$size]}"
  printf '%s: saverkit/copy %s (goal <= 1.5: %s), saverkit/nsis %s (goal <= 1.0: %s)\n' "$size" \
    "$(ratio "$sk_med" "$cp_med")" "$(met "$(ratio "$sk_med" "$cp_med")" 1.5)" \
    "$(ratio "$sk_med" "$ns_med")" "$(met "$(ratio "$sk_med" "$ns_med")" 1.0)"
done
for size in "${sizes[@]}"; do
  read -r b_min b_med u_min u_med <<< "${digest[$size]}"
  printf '%s: the digest check costs %s s (median %s with it, %s with the record emptied; min %s / %s)\n' "$size" \
    "$(awk -v a="$b_med" -v b="$u_med" 'BEGIN { printf "%.3f", a - b }')" "$b_med" "$u_med" "$b_min" "$u_min"
done
if [ "$tiny" = 1 ]; then
  tiny_round
  printf 'tiny: saverkit %s / %s, wine cmd /c exit %s / %s (min / median); ratio %s (goal <= 1.5: %s)\n' \
    "$tiny_sk_min" "$tiny_sk_med" "$tiny_cmd_min" "$tiny_cmd_med" "$(ratio "$tiny_sk_med" "$tiny_cmd_med")" \
    "$(met "$(ratio "$tiny_sk_med" "$tiny_cmd_med")" 1.5)"
fi
