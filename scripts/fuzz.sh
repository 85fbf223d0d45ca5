#!/usr/bin/env bash
# Runs one libFuzzer target for a while:  scripts/fuzz.sh TARGET [SECONDS]  (default 60).
# Targets: html_decode radio_scraping stream_playlist image_decode console_line
# server_address. Builds them with clang in build-fuzz (KELVANE_FUZZ_BUILD) on the first
# run; needs clang and libfuzzer-14-dev (scripts/install-deps.sh --with-fuzzing).
# The seeds in tests/fuzz/corpus/TARGET are read, never written: new inputs go to
# BUILD/fuzz-work/TARGET, and a crashing input is saved there as crash-* (or leak-*,
# timeout-*). Add it to the seed folder once fixed, so the replay tests keep trying it.
set -euo pipefail
cd "$(dirname "$0")/.."
targets="html_decode radio_scraping stream_playlist image_decode console_line server_address"
target="${1:-}"
seconds="${2:-60}"
if [ -z "$target" ] || [[ " $targets " != *" $target "* ]]; then
  echo "usage: $0 TARGET [SECONDS]   (TARGET: $targets)" >&2
  exit 2
fi
build="${KELVANE_FUZZ_BUILD:-build-fuzz}"
if [ ! -f "$build/build.ninja" ]; then
  launcher=()
  command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
    -DKELVANE_FUZZ=ON -DKELVANE_TESTS=OFF -DKELVANE_BENCH=OFF "${launcher[@]}" >/dev/null
fi
cmake --build "$build" -j"${KELVANE_JOBS:-2}" --target "fuzz_$target"

work="$build/fuzz-work/$target"
mkdir -p "$work/corpus"
options=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=65536
         -print_final_stats=1 -artifact_prefix="$work/")
# libpng and libjpeg print a line for each broken file: most of the run's time. libFuzzer
# keeps its own output, and the sanitizers' reports, on a copy of stderr.
[ "$target" = image_decode ] && options+=(-close_fd_mask=2)
[ -f "tests/fuzz/dict/$target.dict" ] && options+=(-dict="tests/fuzz/dict/$target.dict")
exec "$build/tests/fuzz/fuzz_$target" "${options[@]}" "$work/corpus" "tests/fuzz/corpus/$target"
