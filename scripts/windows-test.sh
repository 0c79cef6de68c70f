#!/usr/bin/env bash
# Runs the suite of the Windows build (scripts/windows.sh) under wine: the unit and reader
# suites, the swde-check cases against the same expected files as on Linux (cases marked
# unix-only are skipped), the C consumer against swde.dll and against the static library, and
# what the DLL exports. Usage: scripts/windows-test.sh [BUILD_DIR] [ctest arguments...]
# The wine prefix is private (build-windows/wine). A persistent wineserver is started and the
# prefix booted first: otherwise the first test's wine services keep ctest's output pipe open and
# ctest waits for them.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-windows/swde}
shift || true
wine_dir=/usr/lib/wine
export WINEPREFIX=${WINEPREFIX:-$PWD/build-windows/wine}
export WINEDEBUG=${WINEDEBUG:--all}
# No dialog offering to install Mono or Gecko.
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64
mkdir -p "$WINEPREFIX"
"$wine_dir/wineserver" -k 2>/dev/null || true  # one left by an earlier run of this prefix
"$wine_dir/wineserver" -p
trap '"$wine_dir/wineserver" -k 2>/dev/null || true' EXIT
"$wine_dir/wine64" wineboot --init >/dev/null 2>&1
cd "$build"
ctest --output-on-failure -j "${JOBS:-$(nproc)}" "$@"
