#!/usr/bin/env bash
# Makes docs/screenshots/main-window.png: Kelvane on a private virtual display (Xvfb),
# against the private demo server (scripts/demo-mpd.sh), with a queue playing and two
# stored playlists. Settings live in a temporary directory: the user's are untouched.
#   scripts/screenshot.sh [OUTPUT.png]
# Environment: KELVANE_BUILD (build directory, default build), KELVANE_THEME (dark or
# light, default dark). Needs Xvfb, mpd, mpc and ImageMagick (import, convert).
set -euo pipefail
cd "$(dirname "$0")/.."
root="$(pwd)"
build="${KELVANE_BUILD:-$root/build}"
out="${1:-$root/docs/screenshots/main-window.png}"
theme="${KELVANE_THEME:-dark}"
app="$build/src/app/kelvane"
genlib="$build/tests/support/kelvane-genlib"
for tool in Xvfb mpd mpc import convert; do
  command -v "$tool" >/dev/null || { echo "screenshot: $tool is missing" >&2; exit 1; }
done
[ -x "$app" ] || { echo "screenshot: build kelvane first ($app)" >&2; exit 1; }

work="$(mktemp -d "${TMPDIR:-/tmp}/kelvane-shot-XXXXXX")"
export KELVANE_DEMO_DIR="$work/demo"
xvfb_pid="" app_pid=""
cleanup() {
  [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  scripts/demo-mpd.sh stop >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT

# The demo library, written by this build's generator.
mkdir -p "$KELVANE_DEMO_DIR"
[ -x "$genlib" ] || { echo "screenshot: build kelvane-genlib first ($genlib)" >&2; exit 1; }
"$genlib" "$KELVANE_DEMO_DIR/music" --standard --covers >/dev/null ||
  { echo "screenshot: kelvane-genlib failed; rebuild it" >&2; exit 1; }
touch "$KELVANE_DEMO_DIR/music/.generated"
eval "$(scripts/demo-mpd.sh start)"
mpc_() { mpc -q -h 127.0.0.1 -p "$MPD_PORT" "$@"; }
mpc_ clear
mpc_ add "The Beatles/Abbey Road"
mpc_ add "Pink Floyd"
mpc_ save "Road trip"
mpc_ save "Soirée"
mpc_ volume 70 || true
mpc_ play 1
mpc_ seek 74 || true

# A free display number.
display=99
while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
Xvfb ":$display" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
sleep 1

mkdir -p "$work/config"
DISPLAY=":$display" XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" XDG_CACHE_HOME="$work/cache" \
  KELVANE_THEME="$theme" "$app" --host 127.0.0.1 --port "$MPD_PORT" --cover-host "127.0.0.1:$COVER_PORT" \
  >"$work/app.log" 2>&1 &
app_pid=$!
sleep 5   # connection, album grid, covers from the demo's web server

mkdir -p "$(dirname "$out")"
window=""
if command -v xdotool >/dev/null; then
  # The main window's title ends with "Kelvane" (it names the playing song first).
  window="$(DISPLAY=":$display" xdotool search --onlyvisible --name 'Kelvane$' 2>/dev/null | head -1 || true)"
fi
if [ -z "$window" ] || ! DISPLAY=":$display" import -window "$window" "$work/shot.png" 2>/dev/null; then
  # Without a window manager the window sits at the top left at its own size.
  DISPLAY=":$display" import -window root -crop 1180x760+0+0 "$work/shot.png"
fi
# Few colours in a flat interface: a 256-colour palette keeps it small and clean.
convert "$work/shot.png" +repage -strip -colors 256 PNG8:"$out"
echo "screenshot: $out ($(du -k "$out" | cut -f1) KB)"
