#!/usr/bin/env bash
# Installs what is missing, builds, and starts Kelvane. When no MPD answers at the
# configured address, a private demo server is started for this run only and stopped
# when Kelvane ends, however it ends (the window closed, Ctrl+C, a closed terminal,
# SIGTERM); the stored settings are left as they are.
# Environment: KELVANE_BUILD, a build directory to run from as it is (nothing is
# installed or built then).
set -euo pipefail
cd "$(dirname "$0")/.."
if [ -z "${KELVANE_BUILD:-}" ]; then
  scripts/install-deps.sh
  scripts/build.sh >/dev/null
fi
app="${KELVANE_BUILD:-build}/src/app/kelvane"

conf="${XDG_CONFIG_HOME:-$HOME/.config}/Kelvane/Kelvane.conf"
stored() { [ -f "$conf" ] && sed -n "s/^$1=//p" "$conf" | head -n 1 | tr -d '"' || true; }
host="${MPD_HOST:-$(stored host)}"; host="${host##*@}"; host="${host:-127.0.0.1}"
port="${MPD_PORT:-$(stored port)}"; port="${port:-6600}"

if scripts/demo-mpd.sh probe "$host" "$port"; then
  exec "$app" "$@"
fi

# From here on the script stays until Kelvane ends, whatever signal comes: it passes the
# signal on to Kelvane and then stops the demo servers (a signal would otherwise end the
# script alone and leave them running).
# Kelvane runs in the background, where the shell has it ignore SIGINT and SIGQUIT:
# those come to it as SIGTERM, which it takes as "quit" too.
client=""
on_signal() {
  if [ -n "$client" ]; then
    kill -s "$1" "$client" 2>/dev/null || true
  else
    exit 1 # still starting: the demo goes with the exit
  fi
}
trap 'on_signal TERM' TERM INT QUIT
trap 'on_signal HUP' HUP
trap 'scripts/demo-mpd.sh stop' EXIT

echo "No MPD answers at $host:$port; starting a private demo server."
eval "$(scripts/demo-mpd.sh start)"
# In the background so the signals reach the traps at once; the input is passed on
# explicitly (a background command would read nothing otherwise: the console needs it).
"$app" --host 127.0.0.1 --port "$MPD_PORT" --cover-host "127.0.0.1:$COVER_PORT" "$@" <&0 &
client=$!
status=0
while :; do
  # A trapped signal ends the wait early: wait again until Kelvane is gone.
  wait "$client" && status=0 || status=$?
  kill -0 "$client" 2>/dev/null || break
done
exit "$status"
