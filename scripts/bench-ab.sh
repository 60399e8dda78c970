#!/usr/bin/env bash
# Before and after: the window benchmarks at N = 1000 and the model's build
# by drops, built from this tree and from the tree just before undo and redo
# came in, run in one go and alternated (before, now, before, now, ...), so
# that both sides see the same machine in the same state. Prints per action
# the median of each side and the ratio now / before.
#   scripts/bench-ab.sh [this tree's bench build]   (default build-bench)
# The tree before is unpacked and built once in build-bench-before (or
# BENCH_BEFORE_BUILD); BENCH_BEFORE names another commit, BENCH_ROUNDS the
# number of runs of each side (3).
set -euo pipefail
cd "$(dirname "$0")/.."
now=${1:-build-bench}
before_commit=${BENCH_BEFORE:-3bbad1c}
before=${BENCH_BEFORE_BUILD:-build-bench-before}
rounds=${BENCH_ROUNDS:-3}
jobs=${JOBS:-2}

for program in "$now/bench/window_bench" "$now/bench/model_bench"; do
  if [ ! -x "$program" ]; then
    echo "bench-ab.sh: no $program (make bench builds it)" >&2
    exit 1
  fi
done
# Built from the commit's own files, whatever the work tree holds.
if [ ! -x "$before/bench/window_bench" ] || [ ! -x "$before/bench/model_bench" ] ||
  [ "$(cat "$before/commit" 2>/dev/null)" != "$(git rev-parse "$before_commit")" ]; then
  echo "bench-ab.sh: building the benchmarks of $(git log -1 --format='%h %s' "$before_commit" | cut -c1-60)... in $before"
  rm -rf "$before"
  mkdir -p "$before/src"
  git archive "$before_commit" | tar -x -C "$before/src"
  cmake -S "$before/src" -B "$before" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVOLTARIS_BUILD_BENCH=ON > /dev/null
  cmake --build "$before" -j "$jobs" --target model_bench window_bench > "$before/build.log" 2>&1 ||
    { tail -20 "$before/build.log" >&2; exit 1; }
  git rev-parse "$before_commit" > "$before/commit"
fi

results=$(mktemp -d)
trap 'rm -rf "$results"' EXIT
window_filter='window/(open_design|grade_change|drag_to_another_network|tidy_up|undo|redo)/N=1000$'
model_filter='model/build_by_drops/N=(100|1000)$'
for round in $(seq 1 "$rounds"); do
  for side in before now; do
    build=$([ "$side" = before ] && echo "$before" || echo "$now")
    QT_QPA_PLATFORM=offscreen "$build/bench/window_bench" --benchmark_filter="$window_filter" \
      --benchmark_out="$results/$side-window-$round.json" --benchmark_out_format=json > /dev/null 2>&1
    "$build/bench/model_bench" --benchmark_filter="$model_filter" \
      --benchmark_out="$results/$side-model-$round.json" --benchmark_out_format=json > /dev/null 2>&1
  done
done

python3 - "$results" "$rounds" "$(git log -1 --format=%h "$before_commit")" <<'PY'
import glob, json, os, statistics, sys
folder, rounds, commit = sys.argv[1], int(sys.argv[2]), sys.argv[3]
scale = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}
times = {}
for path in glob.glob(os.path.join(folder, "*.json")):
    side = os.path.basename(path).split("-")[0]
    with open(path) as file:
        for run in json.load(file)["benchmarks"]:
            if run.get("run_type", "iteration") != "iteration":
                continue
            times.setdefault(run["name"], {}).setdefault(side, []).append(
                run["real_time"] * scale[run["time_unit"]])
print(f"before: {commit} (before undo); now: this tree; {rounds} runs of each, alternated")
print(f"{'benchmark (median ms)':<42}{'before':>10}{'now':>10}{'now/before':>12}")
for name in sorted(times, key=lambda n: (not n.startswith("window"), n)):
    sides = times[name]
    b = statistics.median(sides["before"]) if "before" in sides else None
    n = statistics.median(sides["now"]) if "now" in sides else None
    show = lambda v: f"{v:10.3f}" if v is not None else f"{'-':>10}"
    ratio = f"{n / b:12.2f}" if b and n else f"{'-':>12}"
    print(f"{name:<42}{show(b)}{show(n)}{ratio}")
drops = times.get("model/build_by_drops/N=1000", {}).get("now")
drops100 = times.get("model/build_by_drops/N=100", {}).get("now")
if drops and drops100:
    print(f"build by drops, 1000 against 100 devices (now): {statistics.median(drops) / statistics.median(drops100):.1f} times")
PY
