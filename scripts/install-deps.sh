#!/usr/bin/env bash
# Installs the Debian 12 packages Kelvane needs to build, run and test.
# Fast when everything is there: it asks dpkg first and calls apt only for what is missing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git
  qt6-base-dev qt6-svg-dev libqt6svg6 libgl-dev qt6-qpa-plugins
  # lupdate/lrelease for the interface's translations; Qt's own translations at run time.
  qt6-tools-dev qt6-tools-dev-tools qt6-l10n-tools qt6-translations-l10n
  libmpdclient-dev libcurl4-openssl-dev libgtest-dev
  mpd mpc
  dbus playerctl desktop-file-utils appstream man-db file fakeroot lintian
  qtkeychain-qt6-dev gnome-keyring
  python3 curl ccache clang-format
  fonts-dejavu-core
  # The suite runs where the interface's users live: under fr_FR.UTF-8, and a few journeys
  # in a real X server with a window manager and real input events (xwd, of x11-apps,
  # lets them read the screen).
  locales xvfb openbox xdotool x11-utils x11-apps
  # Journeys that read the window as screen readers do: the accessibility bus (AT-SPI)
  # and its python client.
  at-spi2-core python3-pyatspi
)
for option in "$@"; do
  case "$option" in
    --with-screenshots) packages+=(imagemagick x11-apps) ;;
    # scripts/fuzz.sh: libFuzzer comes with clang; the normal build and tests need neither.
    --with-fuzzing) packages+=(clang libfuzzer-14-dev) ;;
  esac
done

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

# Generates the locales the suite and the journeys run under, once.
generate_locales() {
  local wanted=(fr_FR.UTF-8 en_US.UTF-8) add=()
  for l in "${wanted[@]}"; do
    locale -a 2>/dev/null | grep -qix "${l/UTF-8/utf8}" || add+=("$l")
  done
  [ ${#add[@]} -eq 0 ] && return 0
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  for l in "${add[@]}"; do
    $sudo sed -i "s/^# *$l UTF-8/$l UTF-8/" /etc/locale.gen
    grep -q "^$l UTF-8" /etc/locale.gen || echo "$l UTF-8" | $sudo tee -a /etc/locale.gen >/dev/null
  done
  $sudo locale-gen >/dev/null
}

if [ ${#missing[@]} -eq 0 ]; then
  generate_locales
  exit 0
fi

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
generate_locales
