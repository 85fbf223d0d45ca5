#!/usr/bin/env bash
# scripts/run.sh with its demo servers, ended by a signal (SIGTERM, a closed terminal's
# SIGHUP, Ctrl+C's SIGINT): Kelvane gets the signal and both demo servers stop.
# Usage: check-run-signals.sh <build dir>. Loopback only; everything in a scratch dir.
set -euo pipefail
build=$(cd "$1" && pwd)
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/kelvane-run-signals.XXXXXX")
run_pid=""
cleanup() {
  [ -n "$run_pid" ] && kill -9 "$run_pid" 2>/dev/null || true
  KELVANE_DEMO_DIR="$work/demo" "$root/scripts/demo-mpd.sh" stop 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
alive() { kill -0 "$1" 2>/dev/null; }
# Until a condition holds, for at most $1 tenths of a second.
within() {
  local tenths=$1; shift
  for _ in $(seq "$tenths"); do "$@" && return 0; sleep 0.1; done
  "$@"
}
gone() { ! alive "$1"; }
up() { grep -q "^connection	up	" "$work/out"; }

nothing=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1]); s.close()')
for sig in TERM HUP INT; do
  : >"$work/out"
  # Nothing answers at the address: the demo starts. The console needs no display. As
  # from a terminal: a session of its own, and SIGINT not ignored (a background command
  # of this script would ignore it, and a shell cannot trap what it got ignored).
  env KELVANE_BUILD="$build" KELVANE_DEMO_DIR="$work/demo" XDG_CONFIG_HOME="$work/config" \
    XDG_DATA_HOME="$work/data" XDG_CACHE_HOME="$work/cache" MPD_HOST=127.0.0.1 \
    MPD_PORT="$nothing" DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent \
    python3 -c 'import os, signal, sys
for s in (signal.SIGINT, signal.SIGQUIT): signal.signal(s, signal.SIG_DFL)
os.setsid()
os.execv(sys.argv[1], sys.argv[1:])' "$root/scripts/run.sh" --console \
    </dev/null >"$work/out" 2>"$work/err" &
  run_pid=$!
  within 600 up || fail "$sig: the console never connected to the demo: $(cat "$work/err")"
  mpd_pid=$(cat "$work/demo/mpd.pid")
  http_pid=$(cat "$work/demo/http.pid")
  client=$(cat /proc/"$run_pid"/task/*/children 2>/dev/null | tr ' ' '\n' |
    while read -r child; do
      [ -n "$child" ] && grep -q 'src/app/kelvane' /proc/"$child"/cmdline 2>/dev/null && echo "$child"
    done || true)
  [ -n "$client" ] || fail "$sig: no client under run.sh"
  kill -s "$sig" "$run_pid"
  within 100 gone "$run_pid" || fail "$sig: run.sh is still running"
  within 100 gone "$client" || fail "$sig: Kelvane is still running"
  within 100 gone "$mpd_pid" || fail "$sig: the demo mpd is still running"
  within 100 gone "$http_pid" || fail "$sig: the demo web server is still running"
  run_pid=""
  echo "$sig: Kelvane, the demo mpd and its web server ended"
done
echo "run.sh signals ok"
