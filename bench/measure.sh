#!/usr/bin/env bash
# Measures swde-check against the parse-only floor on generated documents: wall time and peak
# resident memory of swde-parse-only, swde-check --jobs 1 and swde-check --jobs 2, each run
# RUNS times (the best wall time and the highest peak RSS are kept), for each object count.
# Prints a Markdown table. Usage: bench/measure.sh [objects...]   (default: 100000 1000000)
# BUILD_DIR (default build-bench), RUNS (default 3) and WORK_DIR (default /tmp) override.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${BUILD_DIR:-$root/build-bench}"
runs="${RUNS:-3}"
work="${WORK_DIR:-/tmp}"
counts=("$@")
[ "${#counts[@]}" -gt 0 ] || counts=(100000 1000000)

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DSWDE_BENCH=ON \
  -DSWDE_BUILD_TESTS=OFF -DSWDE_BUILD_EXAMPLES=OFF >/dev/null
cmake --build "$build" --target swde-gen swde-parse-only swde-check >/dev/null

gen="$build/tools/swde-gen/swde-gen"
parse="$build/bench/parse-only/swde-parse-only"
check="$build/tools/swde-check/swde-check"

# best wall seconds and highest peak RSS (KB) of a command over $runs runs
measure() {
  local best="" peak=0 out wall rss
  for _ in $(seq "$runs"); do
    /usr/bin/time -f '%e %M' -o "$work/swde-measure.time" "$@" >/dev/null 2>&1 || true
    out="$(tail -n 1 "$work/swde-measure.time")"
    wall="${out% *}"
    rss="${out#* }"
    if [ -z "$best" ] || awk "BEGIN{exit !($wall < $best)}"; then best="$wall"; fi
    [ "$rss" -gt "$peak" ] && peak="$rss"
  done
  echo "$best $peak"
}

echo "| objects | size | parse-only | --jobs 1 | --jobs 2 | jobs 1 / parse-only | jobs 1 / jobs 2 |"
echo "|---|---|---|---|---|---|---|"
for n in "${counts[@]}"; do
  doc="$work/swde-measure-$n.xml"
  "$gen" --objects "$n" --fault-rate 0.05 --seed 1 --output "$doc"
  size="$(du -m "$doc" | cut -f1)"
  read -r p_wall p_rss < <(measure "$parse" "$doc")
  read -r j1_wall j1_rss < <(measure "$check" --quiet --jobs 1 "$doc")
  read -r j2_wall j2_rss < <(measure "$check" --quiet --jobs 2 "$doc")
  printf '| %s | %s MB | %s s, %s MB | %s s, %s MB | %s s, %s MB | %.2f | %.2f |\n' \
    "$n" "$size" "$p_wall" "$((p_rss / 1024))" "$j1_wall" "$((j1_rss / 1024))" \
    "$j2_wall" "$((j2_rss / 1024))" \
    "$(awk "BEGIN{print $j1_wall / $p_wall}")" "$(awk "BEGIN{print $j1_wall / $j2_wall}")"
  rm -f "$doc"
done
