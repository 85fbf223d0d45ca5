#!/bin/sh
# Builds the Debian package from the build tree and has lintian check it: no error, no
# warning (missing copyright or changelog, a bogus maintainer address, an uncompressed
# manual page, a binary built without the hardening flags...).
# Usage: check-package.sh <build dir> <scratch dir>
set -eu
build=$1 out=$2
rm -rf "$out"
mkdir -p "$out"
cpack -G DEB -B "$out" --config "$build/CPackConfig.cmake" >"$out/cpack.log" 2>&1 ||
  { cat "$out/cpack.log" >&2; echo "FAIL: cpack" >&2; exit 1; }
deb=$(ls "$out"/kelvane_*.deb)
# Hardening checks read the binary's symbols and flags, whoever runs the test.
lintian --fail-on error,warning --tag-display-limit 0 "$deb" || { echo "FAIL: lintian" >&2; exit 1; }
echo "package ok: $(basename "$deb")"
