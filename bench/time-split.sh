#!/usr/bin/env bash
# Where the time of one job goes: user CPU time of each stage added in turn, on one document,
# for one or two builds of swde-check run alternately (so that both see the same load).
#   parse-only         expat alone (bench/parse-only)
#   xmllint            xmllint --stream --noout, when installed
#   catalogue --quiet  + building the objects and the catalogue checks
#   all --quiet        + the document checks
#   all, text / json   + writing the report (to /dev/null)
# Prints one Markdown row per stage and build: the median, lowest and highest user seconds over
# ROUNDS rounds (default 3), the median system seconds and the highest peak RSS, and the median's
# ratio to parse-only and to xmllint.
# Usage: bench/time-split.sh DOCUMENT PARSE_ONLY CHECK [CHECK_BEFORE]
# The document: swde-gen --objects 200000 --fault-rate 0.05 --seed 7 --output DOCUMENT.
set -euo pipefail

[ $# -ge 3 ] || { sed -n '2,14p' "$0"; exit 2; }
doc="$1"
parse="$2"
builds=("$3")
[ $# -ge 4 ] && builds=("$4" "$3")
rounds="${ROUNDS:-3}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

stages=("parse-only" "catalogue --quiet" "all --quiet" "all, text" "all, json")
command -v xmllint >/dev/null && stages=("xmllint" "${stages[@]}")

# The command line of one stage with one build.
run() {
  local stage="$1" check="$2"
  case "$stage" in
    parse-only) "$parse" "$doc" ;;
    xmllint) xmllint --stream --noout "$doc" ;;
    "catalogue --quiet") "$check" -j1 --quiet --profile catalogue "$doc" ;;
    "all --quiet") "$check" -j1 --quiet "$doc" ;;
    "all, text") "$check" -j1 --format text "$doc" ;;
    "all, json") "$check" -j1 --format json "$doc" ;;
  esac
}

key() { echo "$1|$2" | tr -c 'a-zA-Z0-9\n' '_'; }

for _ in $(seq "$rounds"); do
  for stage in "${stages[@]}"; do
    case "$stage" in parse-only | xmllint) list=(-) ;; *) list=("${builds[@]}") ;; esac
    for check in "${list[@]}"; do
      /usr/bin/time -f '%U %S %M' -o "$work/t" bash -c "$(declare -f run); doc='$doc' parse='$parse' run '$stage' '$check'" \
        >/dev/null 2>&1 || true
      tail -n 1 "$work/t" >>"$work/$(key "$stage" "$check")"
    done
  done
done

median() { sort -n | awk '{v[NR]=$1} END {print v[int((NR+1)/2)]}'; }
base_parse="$(cut -d' ' -f1 "$work/$(key parse-only -)" | median)"
base_lint=""
[ -f "$work/$(key xmllint -)" ] && base_lint="$(cut -d' ' -f1 "$work/$(key xmllint -)" | median)"

echo "| stage | build | user, median (low-high) | sys | peak RSS | / parse-only | / xmllint |"
echo "|---|---|---|---|---|---|---|"
for stage in "${stages[@]}"; do
  case "$stage" in parse-only | xmllint) list=(-) ;; *) list=("${builds[@]}") ;; esac
  for check in "${list[@]}"; do
    f="$work/$(key "$stage" "$check")"
    user="$(cut -d' ' -f1 "$f" | median)"
    low="$(cut -d' ' -f1 "$f" | sort -n | head -n 1)"
    high="$(cut -d' ' -f1 "$f" | sort -n | tail -n 1)"
    sys="$(cut -d' ' -f2 "$f" | median)"
    rss="$(cut -d' ' -f3 "$f" | sort -n | tail -n 1)"
    lint="—"
    [ -n "$base_lint" ] && lint="$(awk "BEGIN{printf \"%.2f\", $user / $base_lint}")"
    printf '| %s | %s | %s s (%s-%s) | %s s | %d MB | %.2f | %s |\n' "$stage" \
      "$([ "$check" = - ] && echo — || basename "$check")" "$user" "$low" "$high" "$sys" \
      "$((rss / 1024))" "$(awk "BEGIN{print $user / $base_parse}")" "$lint"
  done
done
