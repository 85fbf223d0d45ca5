#!/usr/bin/env bash
# Installs what is missing, builds, and starts Kelvane. When no MPD answers at the
# configured address, a private demo server is started for this run only and stopped
# when the window closes; the stored settings are left as they are.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh >/dev/null

conf="${XDG_CONFIG_HOME:-$HOME/.config}/Kelvane/Kelvane.conf"
stored() { [ -f "$conf" ] && sed -n "s/^$1=//p" "$conf" | head -n 1 | tr -d '"' || true; }
host="${MPD_HOST:-$(stored host)}"; host="${host##*@}"; host="${host:-127.0.0.1}"
port="${MPD_PORT:-$(stored port)}"; port="${port:-6600}"

if scripts/demo-mpd.sh probe "$host" "$port"; then
  exec build/src/app/kelvane "$@"
fi

echo "No MPD answers at $host:$port; starting a private demo server."
eval "$(scripts/demo-mpd.sh start)"
trap 'scripts/demo-mpd.sh stop' EXIT
build/src/app/kelvane --host 127.0.0.1 --port "$MPD_PORT" --cover-host "127.0.0.1:$COVER_PORT" "$@"
