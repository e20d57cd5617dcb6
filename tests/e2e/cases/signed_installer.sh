# A signed installer: saverpack signs it with a throw-away certificate (through osslsigncode),
# verify says who signed it and that it matches; one byte changed inside a slot and the
# signature no longer verifies; an unsigned installer fails --require-signature; and the signed
# installer installs quietly under Wine exactly like the unsigned one.
. "$(dirname "$0")/../lib.sh"
work=$(mktemp -d); trap 'rm -rf "$work" "$report"; clean_saver "Signed Reef"' EXIT
pack() { "$native_bin/saverpack" "$@"; }
register_player
clean_saver "Signed Reef"
make_saver "$work/saver" "Signed Reef" bitmap
build_installer "$work/saver" "$work/Setup.exe" >/dev/null || fail "saverpack build"
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Signed Reef Test Author" \
  -keyout "$work/key.pem" -out "$work/cert.pem" >/dev/null 2>&1 || fail "no test certificate"

pack sign "$work/Setup.exe" --cert "$work/cert.pem" --key "$work/key.pem" -o "$work/Signed Setup.exe" || fail "sign"
out=$(pack verify "$work/Signed Setup.exe" --require-signature --ca "$work/cert.pem") || fail "a good signature failed: $out"
echo "$out"
grep -q 'signature: signed by /CN=Signed Reef Test Author; the file matches its signature; the certificate chain is trusted' <<<"$out" ||
  fail "verify does not say who signed it: $out"

out=$(pack verify "$work/Setup.exe" --require-signature 2>&1) && fail "an unsigned installer passed --require-signature"
grep -q 'signature: not signed' <<<"$out" || fail "unsigned not reported: $out"

# One byte inside the engine's slot, after signing.
cp "$work/Signed Setup.exe" "$work/Changed Setup.exe"
offset=$(pack inspect --json "$work/Changed Setup.exe" | python3 -c 'import json,sys; print([s for s in json.load(sys.stdin)["slots"] if s["slot"] == 6][0]["startOffset"] + 10)')
printf '\x5a' | dd of="$work/Changed Setup.exe" bs=1 seek="$offset" conv=notrunc 2>/dev/null
out=$(pack verify "$work/Changed Setup.exe" 2>&1) && fail "a changed signed installer passed verify"
grep -q 'DOES NOT VERIFY: the file was changed after it was signed' <<<"$out" || fail "change not reported: $out"

# The signed installer installs like the unsigned one: same exit code, same files.
timeout 120 wine "$work/Setup.exe" /q || fail "the unsigned installer failed"
(cd "$prefix_c/ProgramData/Vantrel/Signed Reef" && find . -type f -exec md5sum {} + | sort) > "$work/unsigned.txt"
clean_saver "Signed Reef"
timeout 120 wine "$work/Signed Setup.exe" /q || fail "the signed installer failed"
(cd "$prefix_c/ProgramData/Vantrel/Signed Reef" && find . -type f -exec md5sum {} + | sort) > "$work/signed.txt"
cmp -s "$work/unsigned.txt" "$work/signed.txt" || fail "the signed installer wrote other files"
[ -s "$work/signed.txt" ] || fail "nothing installed"
cmp -s "$prefix_c/windows/syswow64/Signed Reef.scr" "$work/saver/engine.scr" || fail "engine"
finish
