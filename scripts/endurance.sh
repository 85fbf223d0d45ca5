#!/usr/bin/env bash
# Endurance: a private mpd plays while `kelvane --console` issues commands, and the server
# is killed (SIGKILL) and restarted N times (default 100) at random moments.
#   scripts/endurance.sh [N]
# Prints, per outage, the alerts the console reported, then whether the console crashed
# and whether the stored playlists (saved streams included) are byte-identical before and
# after. Exits non-zero on a crash, an outage without exactly one alert, a reconnect that
# never came, or a changed playlist. Loopback only; everything lives in a temporary
# directory. Environment: KELVANE_BUILD (default build), ENDURANCE_SEED (for $RANDOM).
set -euo pipefail
cd "$(dirname "$0")/.."
root="$(pwd)"
runs="${1:-100}"
build="${KELVANE_BUILD:-$root/build}"
app="$build/src/app/kelvane"
genlib="$build/tests/support/kelvane-genlib"
for tool in "$app" "$genlib"; do
  [ -x "$tool" ] || { echo "endurance: $tool is missing (build it first)" >&2; exit 2; }
done
command -v mpd >/dev/null && command -v mpc >/dev/null || { echo "endurance: mpd and mpc are needed" >&2; exit 2; }
[ -n "${ENDURANCE_SEED:-}" ] && RANDOM=$ENDURANCE_SEED

work="$(mktemp -d "${TMPDIR:-/tmp}/kelvane-endurance.XXXXXX")"
mpd_pid=""; console_pid=""; feeder_pid=""
cleanup() {
  [ -n "$feeder_pid" ] && kill "$feeder_pid" 2>/dev/null || true
  [ -n "$console_pid" ] && kill "$console_pid" 2>/dev/null || true
  [ -n "$mpd_pid" ] && kill -9 "$mpd_pid" 2>/dev/null || true
  exec 3>&- 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1]); s.close()')
mkdir -p "$work/playlists" "$work/home"
"$genlib" "$work/music" --standard >/dev/null
cat >"$work/mpd.conf" <<CONF
music_directory    "$work/music"
playlist_directory "$work/playlists"
db_file            "$work/database"
state_file         "$work/state"
log_file           "$work/mpd.log"
bind_to_address    "127.0.0.1"
port               "$port"
auto_update        "no"
zeroconf_enabled   "no"
audio_output {
  type       "null"
  name       "Endurance (silent)"
  mixer_type "software"
}
CONF

mpc_() { mpc -q -h 127.0.0.1 -p "$port" "$@"; }
start_mpd() {
  mpd --no-daemon "$work/mpd.conf" >>"$work/mpd.out" 2>&1 &
  mpd_pid=$!
  for _ in $(seq 100); do mpc_ status >/dev/null 2>&1 && return 0; sleep 0.05; done
  echo "endurance: mpd did not start" >&2; return 1
}
# A killed server may come back without its queue: the test wants one playing.
keep_playing() {
  mpc_ repeat on 2>/dev/null || true
  [ "$(mpc -h 127.0.0.1 -p "$port" playlist 2>/dev/null | wc -l)" -gt 0 ] || mpc_ add / 2>/dev/null || true
  mpc_ play 2>/dev/null || true
}
checksums() { (cd "$work/playlists" && find . -type f -print0 | sort -z | xargs -0 -r sha256sum); }

start_mpd
mpc_ update --wait
keep_playing
# Stored playlists and saved streams, written by the server itself.
mpc_ save "Kept"
printf '%s\n' "http://127.0.0.1:9/one#Radio one" "http://127.0.0.1:9/two#Radio two" \
  >"$work/playlists/[Radio Streams].m3u"
sleep 0.5
before="$(checksums)"

mkfifo "$work/in"
HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_CACHE_HOME="$work/home/.cache" \
  QT_QPA_PLATFORM=offscreen "$app" --console --host 127.0.0.1 --port "$port" \
  <"$work/in" >"$work/out" 2>"$work/err" &
console_pid=$!
exec 3>"$work/in"
# Commands that read or play, never write a stored playlist: a random one every 0.1-0.3 s.
commands=(queue playlists streams outputs "playlist Kept" "volume 40" "volume 60" next play
          "random 1" "random 0" "seek 1" "playpos 0" albums "content The Beatles/Abbey Road")
(
  while kill -0 "$console_pid" 2>/dev/null; do
    printf '%s\n' "${commands[RANDOM % ${#commands[@]}]}" >&3 || exit 0
    sleep "0.$((RANDOM % 3 + 1))"
  done
) &
feeder_pid=$!

lines() { wc -l <"$work/out"; }
wait_for_up_after() { # line offset; true once a "connection up" follows it
  local from=$1
  for _ in $(seq 400); do
    tail -n +"$((from + 1))" "$work/out" | grep -q $'^connection\tup' && return 0
    kill -0 "$console_pid" 2>/dev/null || return 1
    sleep 0.1
  done
  return 1
}

wait_for_up_after 0 || { echo "endurance: the console never connected" >&2; exit 1; }
marks=()
no_reconnect=0
for i in $(seq "$runs"); do
  sleep "$((RANDOM % 2)).$((RANDOM % 10))"          # up for 0-1.9 s
  marks+=("$(lines)")
  kill -9 "$mpd_pid"; wait "$mpd_pid" 2>/dev/null || true
  sleep "0.$((RANDOM % 10))"                         # down for 0-0.9 s
  start_mpd
  keep_playing
  if ! wait_for_up_after "${marks[-1]}"; then
    no_reconnect=$((no_reconnect + 1))
    kill -0 "$console_pid" 2>/dev/null || break
  fi
done
sleep 1
marks+=("$(lines)")

printf 'quit\n' >&3
status=0
for _ in $(seq 100); do kill -0 "$console_pid" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$console_pid" 2>/dev/null; then
  echo "console: still running after quit"; status=124; kill -9 "$console_pid"
fi
wait "$console_pid" || status=$?
console_pid=""
kill "$feeder_pid" 2>/dev/null || true; feeder_pid=""

# Alerts per outage: the error lines from a kill to the reconnect that follows it. Alerts
# after the reconnect, up to the next kill, are listed apart: a restarted server may have
# lost its queue, and refuses a command or two ("Not playing") until it plays again.
declare -A histogram=()
bad_outages=0
later_alerts=0
outages=$(( ${#marks[@]} - 1 ))
for ((k = 0; k < outages; k++)); do
  segment="$(sed -n "$((marks[k] + 1)),$((marks[k + 1]))p" "$work/out")"
  # sed reads to the end: quitting early would end the printf with SIGPIPE.
  down="$(printf '%s\n' "$segment" | sed -n $'0,/^connection\tup/p')"
  up="$(printf '%s\n' "$segment" | sed $'0,/^connection\tup/d')"
  count=$(printf '%s\n' "$down" | grep -c $'^error\t' || true)
  histogram[$count]=$(( ${histogram[$count]:-0} + 1 ))
  if [ "$count" -ne 1 ]; then
    bad_outages=$((bad_outages + 1))
    echo "outage $((k + 1)): $count alerts:"
    printf '%s\n' "$down" | grep -E $'^(error|connection)\t' | cut -f1-3 | sed 's/^/    /'
  fi
  while IFS= read -r alert; do
    [ -n "$alert" ] || continue
    later_alerts=$((later_alerts + 1))
    echo "after reconnect $((k + 1)): $(printf '%s' "$alert" | cut -f2)"
  done < <(printf '%s\n' "$up" | grep $'^error\t' || true)
done
after="$(checksums)"

crashed=0
if [ "$status" -ne 0 ]; then crashed=1; fi
echo "outages: $outages (restarts asked: $runs)"
for count in $(printf '%s\n' "${!histogram[@]}" | sort -n); do
  echo "  ${histogram[$count]} outage(s) with $count alert(s)"
done
echo "alerts after a reconnect (refused commands): $later_alerts"
echo "reconnects that never came: $no_reconnect"
echo "console answers: $(grep -c $'^end\t' "$work/out" || true) lists, $(grep -c $'^connection\tup' "$work/out" || true) connections up"
echo "console exit status: $status$([ "$crashed" -eq 1 ] && echo ' (CRASH)')"
if [ "$before" = "$after" ]; then
  echo "stored playlists and saved streams: byte-identical ($(printf '%s\n' "$before" | grep -c .) files)"
  changed=0
else
  echo "stored playlists and saved streams: CHANGED"; diff <(echo "$before") <(echo "$after") || true
  changed=1
fi
if [ -s "$work/err" ]; then echo "console stderr (last lines):"; tail -n 5 "$work/err"; fi
if [ "$crashed" -eq 0 ] && [ "$bad_outages" -eq 0 ] && [ "$no_reconnect" -eq 0 ] && [ "$changed" -eq 0 ]; then
  echo "endurance: passed"
else
  echo "endurance: FAILED"; exit 1
fi
