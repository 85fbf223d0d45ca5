#!/usr/bin/env bash
# A private demo MPD for trying Kelvane without a server of one's own: loopback only,
# null audio output, a small generated library with covers, and a local web server
# for the covers. `start` prints shell assignments (MPD_PORT, COVER_PORT); `stop`
# ends both servers. Nothing here touches the user's settings or a system mpd.
set -euo pipefail
cd "$(dirname "$0")/.."
root="$(pwd)"
state="${KELVANE_DEMO_DIR:-${XDG_RUNTIME_DIR:-/tmp}/kelvane-demo-$(id -u)}"
genlib="${KELVANE_BUILD:-$root/build}/tests/support/kelvane-genlib"

free_port() {
  python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1]); s.close()'
}

answers_mpd() { # host port
  timeout 2 bash -c "exec 3<>/dev/tcp/$1/$2 && head -c 6 <&3 | grep -q '^OK MPD'" 2>/dev/null
}

stop() {
  for f in "$state/mpd.pid" "$state/http.pid"; do
    if [ -f "$f" ]; then
      kill "$(cat "$f")" 2>/dev/null || true
      rm -f "$f"
    fi
  done
}

start() {
  stop
  mkdir -p "$state/playlists"
  if [ ! -f "$state/music/.generated" ]; then
    rm -rf "$state/music"
    "$genlib" "$state/music" --standard --covers >/dev/null
    touch "$state/music/.generated"
  fi
  local mpd_port cover_port
  mpd_port=$(free_port)
  cover_port=$(free_port)
  cat >"$state/mpd.conf" <<CONF
music_directory    "$state/music"
playlist_directory "$state/playlists"
db_file            "$state/database"
state_file         "$state/state"
log_file           "$state/log"
bind_to_address    "127.0.0.1"
port               "$mpd_port"
auto_update        "no"
zeroconf_enabled   "no"
audio_output {
  type       "null"
  name       "Demo (silent)"
  mixer_type "software"
}
CONF
  mpd --no-daemon "$state/mpd.conf" >/dev/null 2>&1 &
  echo $! >"$state/mpd.pid"
  python3 -m http.server "$cover_port" --bind 127.0.0.1 --directory "$state/music" >/dev/null 2>&1 &
  echo $! >"$state/http.pid"
  for _ in $(seq 50); do answers_mpd 127.0.0.1 "$mpd_port" && break; sleep 0.1; done
  mpc -q -h 127.0.0.1 -p "$mpd_port" update --wait >/dev/null 2>&1 || true
  echo "MPD_PORT=$mpd_port"
  echo "COVER_PORT=$cover_port"
}

case "${1:-}" in
  start) start ;;
  stop) stop ;;
  probe) answers_mpd "${2:-127.0.0.1}" "${3:-6600}" ;;
  *) echo "usage: $0 start|stop|probe HOST PORT" >&2; exit 2 ;;
esac
