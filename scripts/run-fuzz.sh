#!/usr/bin/env bash
# Runs every fuzz target of a fuzz build (`make build-fuzz`) for the given
# number of seconds, one after another, starting from the seeds in
# fuzz/corpus/<target> (with the words of fuzz/<target>.dict where there is
# one). What a run learns is kept in <build>/corpus/<target>
# (never in the committed seeds); an input that crashes or breaks a property
# is written to <build>/findings/<target>/ and makes the script fail.
# A summary line per target goes to the terminal and to <build>/fuzz-summary.txt.
#   scripts/run-fuzz.sh [build-dir] [seconds] [target...]   (all targets when none is named)
set -uo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-fuzz}
seconds=${2:-30}
summary="$build/fuzz-summary.txt"
: > "$summary"
status=0
shopt -s nullglob
if [ $# -gt 2 ]; then
  programs=()
  for target in "${@:3}"; do programs+=("$build/fuzz/${target}_fuzzer"); done
else
  programs=("$build"/fuzz/*_fuzzer)
fi
if [ ${#programs[@]} -eq 0 ]; then
  echo "run-fuzz.sh: no fuzz targets in $build/fuzz (run make build-fuzz)" >&2
  exit 1
fi
for program in "${programs[@]}"; do
  if [ ! -x "$program" ]; then
    echo "run-fuzz.sh: no fuzz target $program" >&2
    exit 1
  fi
  name=$(basename "$program" _fuzzer)
  work="$build/corpus/$name"
  findings="$build/findings/$name"
  log="$build/fuzz-$name.log"
  mkdir -p "$work" "$findings"
  options=()
  if [ -f "fuzz/$name.dict" ]; then options+=("-dict=fuzz/$name.dict"); fi
  started=$(date +%s)
  if "$program" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
      "${options[@]}" -artifact_prefix="$findings/" "$work" "fuzz/corpus/$name" > "$log" 2>&1; then
    result="no finding"
  else
    result="FINDING (see $log and $findings/)"
    status=1
  fi
  elapsed=$(( $(date +%s) - started ))
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)
  coverage=$(grep -o 'cov: [0-9]*' "$log" | tail -1 | grep -o '[0-9]*')
  line=$(printf '%-16s %5ss %10s runs %7s/s  coverage %5s  corpus %4s  %s' "$name" "$elapsed" "${runs:-?}" \
    "${speed:-?}" "${coverage:-?}" "$(ls "$work" | wc -l)" "$result")
  echo "$line" | tee -a "$summary"
  if [ $status -ne 0 ] && [ "$result" != "no finding" ]; then
    grep -E 'ERROR|broken property|runtime error|SUMMARY|Test unit written' "$log" | head -20 >&2
  fi
done
exit $status
