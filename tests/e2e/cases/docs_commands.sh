# The guide's commands, run as written. Every fenced block of README.md, docs/*.md,
# examples/README.md and tools/saverpack/README.md must name its language; blocks in sh, bash
# or console run, one shell session per document (as a reader works through a page in one
# terminal), in a scratch folder laid out like the repository after scripts/demo: build/dist,
# build/win32, build/native and build/wineprefix lead to this build, and the installed saverpack
# is on PATH. A block that starts with "#!" is a script of its own and runs as one. A block
# with <!-- docs-test: skip: REASON --> right above it does not run; one with
# <!-- docs-test: file PATH --> is written to PATH, as the reader is told to. Any command that
# fails fails the case, named by its document and line.
. "$(dirname "$0")/../lib.sh"
repo=$(cd "$(dirname "$0")/../../.." && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch" "$report"' EXIT
documents=(README.md docs/README.md docs/manifest.md docs/on-the-users-machine.md docs/running-installers.md
  docs/launcher-protocol.md docs/testing-under-wine.md docs/try-under-wine.md docs/signing.md docs/video-savers.md
  examples/README.md tools/saverpack/README.md)
# Pages whose reader clicks: their wine commands that open a window run through the driver,
# which clicks what the page tells the reader to click (see the "hands" below).
clicking_pages=" docs/try-under-wine.md "

# The installed saverpack: scripts/test and scripts/demo make build/dist beside build/win32.
dist=${SAVERKIT_DIST:-$bin/../../dist}
[ -x "$dist/bin/saverpack" ] || { fail "no installed saverpack in $dist (cmake --install, as scripts/test does)"; finish; }
mkdir -p "$scratch/work/build" "$scratch/work/tests" "$scratch/work/examples" "$scratch/home" "$scratch/scripts"
ln -s "$(cd "$dist" && pwd)" "$scratch/work/build/dist"
ln -s "$(cd "$bin/.." && pwd)" "$scratch/work/build/win32"
ln -s "$(cd "$native_bin/.." && pwd)" "$scratch/work/build/native"
ln -s "$WINEPREFIX" "$scratch/work/build/wineprefix"
cp -r "$repo/scripts" "$scratch/work/scripts"
cp -r "$repo/tests/e2e" "$scratch/work/tests/e2e"
cp "$repo/examples/README.md" "$scratch/work/examples/"  # its first block makes the sample again

# One script per document, line for line: a failing command's $LINENO is its line in the document.
python3 - "$repo" "$scratch/scripts" "${documents[@]}" <<'PY' || fail "the guide has fenced blocks without a language"
import re, sys
repo, out, documents = sys.argv[1], sys.argv[2], sys.argv[3:]
shell = {'sh', 'bash', 'console'}
bad = []
for index, name in enumerate(documents):
    lines = open(f'{repo}/{name}', encoding='utf-8').read().split('\n')
    script = [''] * len(lines)
    fence = None  # (indent, language, mode, start) while inside a block
    for number, line in enumerate(lines):
        stripped = line.lstrip()
        if fence is None:
            match = re.match(r'^(`{3,})(\S*)\s*$', stripped)
            if not match:
                continue
            language = match.group(2)
            marker = lines[number - 1].strip() if number else ''
            if not language:
                bad.append(f'{name}:{number + 1}: a fenced block without a language')
            mode = 'skip'
            if marker.startswith('<!-- docs-test: file '):
                mode = 'file'
                path = marker[len('<!-- docs-test: file '):-len('-->')].strip()
                script[number] = f"cat > '{path}' <<'DOCS_TEST_END'"
            elif marker.startswith('<!-- docs-test: skip:'):
                mode = 'skip'
            elif language in shell:
                first = lines[number + 1].lstrip() if number + 1 < len(lines) else ''
                mode = 'script' if first.startswith('#!') else language
                if mode == 'script':
                    script[number] = "bash /dev/fd/3 3<<'DOCS_TEST_END'"
            fence = (len(line) - len(stripped), match.group(1), mode)
            continue
        indent, ticks, mode = fence
        if stripped.startswith(ticks) and stripped.strip() == ticks:
            if mode in ('file', 'script'):
                script[number] = 'DOCS_TEST_END'
            fence = None
            continue
        text = line[indent:] if line[:indent].strip() == '' else line
        if mode in ('sh', 'bash', 'file', 'script'):
            script[number] = text
        elif mode == 'console' and text.startswith('$ '):
            script[number] = text[2:]
    header = (f'doc={name!r}; trap \'echo "FAILED: $doc:$LINENO: exit status $?: $BASH_COMMAND" >&2\' ERR;'
              ' cd "$DOCS_TEST_WORK"')
    script[0] = header + ('; ' + script[0] if script[0] else '')
    open(f'{out}/{index:02d}.sh', 'w').write('\n'.join(script) + '\n')
for line in bad:
    print(line)
sys.exit(1 if bad else 0)
PY

# The reader's hands: a "wine" ahead of the real one that runs each command of the page that
# waits for a person through the driver, doing what the page says to do there. The command and
# its arguments reach Wine unchanged; every other command goes straight to Wine.
mkdir -p "$scratch/hands"
cat > "$scratch/hands/wine" <<HANDS
#!/usr/bin/env bash
real='$(command -v wine)'
driver='$bin/driver.exe'
HANDS
cat >> "$scratch/hands/wine" <<'HANDS'
steps=()
# saverpack preview runs Wine too, in a prefix of its own, where nobody is to click.
[[ ${WINEPREFIX:-} == */saverkit/run-* ]] && exec "$real" "$@"
case "$(basename "${1//\\//}"):${2:-}" in
  *[Ss]etup.exe:|saverlaunch.exe:*) steps=(wait-window:TInstallerForm "click:Accept and Install" 'box:&No') ;;
  *.scr:/s) steps=(wait-window:SaverkitSlideshow sleep:1500 key:32) ;;
  *.scr:/c) steps=(wait-window:#32770 click:Cancel) ;;
  uninstaller:--remove|cmd:/c) steps=('message-box:&Yes' message-box:OK) ;;
esac
[ ${#steps[@]} = 0 ] && exec "$real" "$@"
report=$("$real" "$driver" "${steps[@]}" -- "$@" 2>/dev/null | tr -d '\r')
echo "$report"
grep -qx 'exit 0' <<< "$report" && ! grep -q '^fail' <<< "$report"
HANDS
chmod +x "$scratch/hands/wine"

# A reader's terminal: the installed saverpack on PATH, a home of its own (a block that ran wine
# without the project's prefix would make one there), none of the test's own settings.
for script in "$scratch/scripts"/*.sh; do
  document=${documents[$((10#$(basename "$script" .sh)))]}
  echo "=== $document"
  hands=
  [[ $clicking_pages == *" $document "* ]] && hands="$scratch/hands:"
  env -u SAVERKIT_BIN -u SAVERKIT_NATIVE_BIN -u SAVERKIT_ARTEFACTS -u SAVERKIT_BUILD -u WINEPREFIX -u root \
    HOME="$scratch/home" XDG_CACHE_HOME="${XDG_CACHE_HOME_FOR_DOCS:-$(cd "$bin/.." && pwd)/preview-cache}" \
    PATH="$hands$scratch/work/build/dist/bin:$PATH" DOCS_TEST_WORK="$scratch/work" \
    bash "$script" < /dev/null > "$scratch/out.txt" 2>&1
  cat "$scratch/out.txt"
  grep '^FAILED: ' "$scratch/out.txt" | sed 's/^FAILED: //' | while IFS= read -r line; do echo "FAILED: $line"; done
  failures=$((failures + $(grep -c '^FAILED: ' "$scratch/out.txt")))
done
[ -e "$scratch/home/.wine" ] && fail "a block ran wine without the project's prefix (it made ~/.wine)"
[ "$(working_folders)" = 0 ] || fail "working folders left in the prefix: $(ls -d "$prefix_c"/users/*/AppData/Local/Vantrel/ZOR*)"
for name in Starfield "My Saver" "Ocean Sample" "Ocean Waves"; do clean_saver "$name"; done
# A saver removed while it ran (its uninstall entry, started from the 64-bit system folder) left
# its engine aside there for the next restart.
rm -f "$prefix_c"/windows/system32/Starfield.scr.*.removed
finish
