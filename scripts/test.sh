#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite with CTest.
#   scripts/test.sh              the normal build, in build/
#   scripts/test.sh --sanitize   AddressSanitizer + UndefinedBehaviorSanitizer with leak
#                                detection, in build-asan/ (a full build of its own)
set -euo pipefail
cd "$(dirname "$0")/.."
root="$(pwd)"
scripts/install-deps.sh
# The interface is French, so its users run fr_FR.UTF-8: so does the suite.
export LANG=fr_FR.UTF-8
unset LC_ALL LANGUAGE
if [ "${1:-}" = "--sanitize" ]; then
  if [ ! -f build-asan/build.ninja ]; then
    launcher=()
    command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKELVANE_SANITIZE=ON \
      -DKELVANE_BENCH=OFF "${launcher[@]}" >/dev/null
  fi
  cmake --build build-asan -j"${KELVANE_JOBS:-2}"
  cd build-asan
  # Leaks are errors; the suppressions name only leaks inside third-party libraries.
  export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:strict_init_order=1:detect_stack_use_after_return=0"
  export LSAN_OPTIONS="suppressions=$root/tests/sanitizer/lsan.supp:print_suppressions=0"
  export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
  QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2 --timeout 900
  exit
fi
scripts/build.sh
cd build
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2 --timeout 600
