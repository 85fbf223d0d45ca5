#!/bin/sh
# Installs the build into a scratch prefix and checks what a desktop needs from it.
# Usage: check-install.sh <build dir> <scratch dir> <version>
set -eu
build=$1 root=$2 version=$3
rm -rf "$root"
cmake --install "$build" --prefix "$root/usr" >/dev/null

fail() { echo "FAIL: $*" >&2; exit 1; }
for f in bin/kelvane share/applications/kelvane.desktop \
         share/icons/hicolor/scalable/apps/kelvane.svg \
         share/icons/hicolor/48x48/apps/kelvane.png \
         share/icons/hicolor/128x128/apps/kelvane.png \
         share/icons/hicolor/256x256/apps/kelvane.png \
         share/metainfo/org.kelvane.Kelvane.metainfo.xml share/man/man1/kelvane.1.gz \
         share/man/fr/man1/kelvane.1.gz share/kelvane/translations/kelvane_en.qm \
         share/kelvane/translations/kelvane_fr.qm \
         share/doc/kelvane/copyright share/doc/kelvane/changelog.gz; do
  [ -s "$root/usr/$f" ] || fail "missing $f"
done
# Nothing but the application: no static libraries, headers or test tools.
extra=$(cd "$root/usr" && find . -type f | grep -v -e '^./bin/kelvane$' -e '^./share/applications/' \
          -e '^./share/icons/' -e '^./share/metainfo/' -e '^./share/man/' \
          -e '^./share/doc/kelvane/' -e '^./share/kelvane/translations/kelvane_[a-z]*\.qm$' || true)
[ -z "$extra" ] || fail "unexpected files: $extra"

# Each bitmap has the size its directory names.
for size in 48 128 256; do
  header=$(od -An -tu1 -j16 -N8 "$root/usr/share/icons/hicolor/${size}x${size}/apps/kelvane.png" | tr -s ' ')
  w=$(echo "$header" | awk '{print $1*16777216 + $2*65536 + $3*256 + $4}')
  h=$(echo "$header" | awk '{print $5*16777216 + $6*65536 + $7*256 + $8}')
  [ "$w" = "$size" ] && [ "$h" = "$size" ] || fail "icon ${size}: ${w}x${h}"
done

desktop-file-validate "$root/usr/share/applications/kelvane.desktop" || fail "desktop entry"
grep -q '^Categories=.*Audio;.*Player;.*Qt;' "$root/usr/share/applications/kelvane.desktop" || fail "categories"
appstreamcli validate --no-net "$root/usr/share/metainfo/org.kelvane.Kelvane.metainfo.xml" || fail "metainfo"
grep -q "release version=\"$version\"" "$root/usr/share/metainfo/org.kelvane.Kelvane.metainfo.xml" || fail "metainfo version"
# The manual pages (English, French) format without warnings.
for page in man1/kelvane.1.gz fr/man1/kelvane.1.gz; do
  LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$root/usr/share/man/$page" 2>"$root/man.err" >/dev/null || fail "man page $page"
  [ ! -s "$root/man.err" ] || fail "man page $page warnings: $(cat "$root/man.err")"
done
grep -q '^Name\[fr\]=' "$root/usr/share/applications/kelvane.desktop" || fail "desktop entry: no French name"
grep -q 'xml:lang="fr"' "$root/usr/share/metainfo/org.kelvane.Kelvane.metainfo.xml" || fail "metainfo: no French"

# --version and --help answer without any window system.
out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$root/usr/bin/kelvane" --version 2>/dev/null)
[ "$out" = "Kelvane $version" ] || fail "--version said: $out"
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$root/usr/bin/kelvane" --help 2>/dev/null | grep -q -- '--host' || fail "--help"
echo "install layout ok"
