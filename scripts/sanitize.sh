#!/usr/bin/env bash
# Builds everything with clang under AddressSanitizer and UndefinedBehaviorSanitizer (a Debug
# build in build-asan/) and runs the whole test suite. Any sanitizer report fails its test, and
# any failing test fails the script. The install rules are left out (SWDE_INSTALL=OFF): the
# packaging checks would install the instrumented library and link a consumer without the
# sanitizer runtime; the ordinary build runs them.
# Usage: scripts/sanitize.sh   (BUILD_DIR, JOBS override the defaults; SWDE_WERROR=OFF builds
# on through clang warnings, which are errors by default)
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${BUILD_DIR:-$root/build-asan}"
jobs="${JOBS:-$(nproc)}"

"$root/scripts/install-deps.sh"

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja \
  -DCMAKE_BUILD_TYPE=Debug \
  -DSWDE_SANITIZE=address,undefined \
  -DSWDE_INSTALL=OFF \
  -DSWDE_WERROR="${SWDE_WERROR:-ON}"
cmake --build "$build" -j "$jobs"

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
cd "$build"
ctest --output-on-failure -j "$jobs"
echo "sanitize: every test passed under address,undefined"
