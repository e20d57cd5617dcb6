# A broken download over a working install: the installer cut at every slot boundary, inside
# its header, inside the data file's directory and at 32 random places, each run quietly with
# boxes suppressed over a machine that has the saver. Every run ends by itself with a non-zero
# exit code, nothing outside the working folder changes, and the installed saver stays whole.
. "$(dirname "$0")/../lib.sh"
work=$(mktemp -d); trap 'rm -rf "$work" "$report"' EXIT
register_player
clean_saver "Cut Reef"
make_saver "$work/saver" "Cut Reef" bitmap
with_slot "$work/saver" 4 License.txt
build_installer "$work/saver" "$work/Reef Setup.exe" || fail "saverpack build"
timeout 120 wine "$work/Reef Setup.exe" /q || fail "the first install failed"

# What an install leaves on the machine: every file with its checksum, and the uninstall entry.
machine_state() {
  (cd "$prefix_c" && find "ProgramData/Vantrel/Cut Reef" windows/syswow64/Cut\ Reef.scr windows/system32/Cut\ Reef.scr \
    -type f -exec md5sum {} + 2>/dev/null | sort)
  wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Cut Reef' 2>/dev/null | tr -d '\r'
}
machine_state > "$work/before.txt"
folders_before=$(working_folders)
grep -q 'saver.dat' "$work/before.txt" || fail "the first install wrote no saver.dat"

# The cut points, from the package's own layout.
"$native_bin/saverpack" inspect --json "$work/Reef Setup.exe" > "$work/layout.json"
python3 - "$work/layout.json" > "$work/cuts.txt" <<'PY'
import json, random, sys
layout = json.load(open(sys.argv[1]))
size, stub, header = layout["size"], 690176, 3152
cuts = {stub, stub + 1, stub + header // 2, stub + header - 1}
for slot in layout["slots"]:
    cuts |= {slot["startOffset"], slot["startOffset"] + 1, slot["endOffset"]}
    if slot["slot"] == 8:
        cuts |= {slot["startOffset"] + 1240 + 10, slot["startOffset"] + 1240 + 264 + 3}
random.seed(2026)
cuts |= {random.randrange(stub, size) for _ in range(32)}
for cut in sorted(c for c in cuts if 0 < c < size):
    print(cut)
PY
runs=0
while read -r cut; do
  head -c "$cut" "$work/Reef Setup.exe" > "$work/cut.exe"
  code=0
  timeout 60 wine "$work/cut.exe" /q /suppressmsgboxes >/dev/null 2>&1 || code=$?
  runs=$((runs + 1))
  case $code in
    0) fail "cut at $cut: the run reported success" ;;
    124) fail "cut at $cut: the run did not end by itself" ;;
  esac
  machine_state > "$work/after.txt"
  cmp -s "$work/before.txt" "$work/after.txt" || { fail "cut at $cut changed the machine"; diff "$work/before.txt" "$work/after.txt" | head -5; }
done < "$work/cuts.txt"
echo "truncation sweep: $runs cut installers, each ended by itself with a failure and left the install whole"
[ "$(working_folders)" = "$folders_before" ] || fail "working folders were left behind"
clean_saver "Cut Reef"
finish
