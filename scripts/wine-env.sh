# Sourced by scripts/test and scripts/demo: the project's Wine prefix, a private X display and
# one persistent wine server, started and stopped by PID.
root=${root:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
build=${SAVERKIT_BUILD:-$root/build}
export WINEPREFIX=$build/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES=winemenubuilder.exe=d
saverkit_xvfb_pid=

start_wine_services() {
  local display
  for display in $(seq 91 140); do
    [ -e /tmp/.X11-unix/X$display ] || [ -e /tmp/.X$display-lock ] && continue
    Xvfb :$display -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    saverkit_xvfb_pid=$!
    export DISPLAY=:$display
    break
  done
  local tries
  for tries in $(seq 1 50); do
    [ -e /tmp/.X11-unix/X${DISPLAY#:} ] && break
    sleep 0.1
  done
  wineserver -p 2>/dev/null || true  # one may already serve this prefix
  wine wineboot >/dev/null 2>&1 || true
}

stop_wine_services() {
  wineserver -k >/dev/null 2>&1 || true
  if [ -n "$saverkit_xvfb_pid" ]; then
    kill "$saverkit_xvfb_pid" 2>/dev/null || true
    wait "$saverkit_xvfb_pid" 2>/dev/null || true
  fi
}
