#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in build-fuzz/ and runs each one for a while on a
# fresh copy of its seed corpus (fuzz/corpus/TARGET), with the dictionary fuzz/swde.dict.
# A crash, a leak, a sanitizer report, a timeout or running out of memory is a finding: the
# input is kept in build-fuzz/findings/TARGET/ and the script exits non-zero.
# Usage: scripts/fuzz.sh [seconds per target, default 60]   (BUILD_DIR, JOBS override; warnings
# are errors unless SWDE_WERROR=OFF)
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${BUILD_DIR:-$root/build-fuzz}"
jobs="${JOBS:-$(nproc)}"
seconds="${1:-60}"
targets=(fuzz_schema fuzz_document fuzz_checks fuzz_doc_state fuzz_jobs)

case "$seconds" in
  '' | *[!0-9]*)
    echo "usage: scripts/fuzz.sh [seconds]" >&2
    exit 2
    ;;
esac

"$root/scripts/install-deps.sh"

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DSWDE_FUZZ=ON -DSWDE_BUILD_TESTS=OFF -DSWDE_BUILD_EXAMPLES=OFF -DSWDE_INSTALL=OFF \
  -DSWDE_WERROR="${SWDE_WERROR:-ON}"
cmake --build "$build" -j "$jobs" --target "${targets[@]}"

failed=()
for target in "${targets[@]}"; do
  corpus="$build/corpus/$target"
  findings="$build/findings/$target"
  rm -rf "$corpus" "$findings"
  mkdir -p "$corpus" "$findings"
  cp "$root/fuzz/corpus/$target/." "$corpus/" -R
  echo "fuzz: $target for ${seconds}s"
  if "$build/fuzz/$target" -dict="$root/fuzz/swde.dict" -max_total_time="$seconds" \
      -seed=1 -rss_limit_mb=2048 -timeout=30 -print_final_stats=1 \
      -artifact_prefix="$findings/" "$corpus" >"$build/findings/$target.log" 2>&1; then
    grep -E '^stat::number_of_executed_units' "$build/findings/$target.log" || true
  else
    failed+=("$target")
    tail -n 60 "$build/findings/$target.log" >&2
    echo "fuzz: $target found a problem; input kept in $findings/" >&2
  fi
done

if [ "${#failed[@]}" -gt 0 ]; then
  echo "fuzz: findings in ${failed[*]}" >&2
  exit 1
fi
echo "fuzz: no finding in ${targets[*]}"
