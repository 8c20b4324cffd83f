#!/usr/bin/env bash
# Batch conversion benchmark: generated trees converted through the real
# window, offscreen, in each layout, beside `cp -r` of the same tree, paired
# in one run. Each figure is the median of RUNS runs. "run" is the count and
# the walk, as the "Batch Convert" handler does them; "process" is the whole
# command, start-up and window included. Peak memory is the process's.
# usage: bench/batch.sh [BUILD_DIR] [RUNS]   (defaults: build/, 5)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../build}
runs=${2:-5}
cmake --build "$build" --target batch_bench -j"$(nproc)" > /dev/null
bench="$build/bench/batch_bench"
# In memory by default, so that the file system's own state (ext4 slows down creating
# files right after many were deleted) does not swamp what is measured.
work=$(mktemp -d "${QUELMAR_BENCH_DIR:-/dev/shm}/quelmar-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT

median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
seconds() { date +%s.%N; }

run_set() {
  local name=$1 files=$2 folders=$3 flag=${4:-}
  local src="$work/$name/Mail"
  python3 "$here/make_tree.py" "$src" "$files" "$folders" $flag
  local size; size=$(du -sm "$src" | cut -f1)
  sync
  local cps=()
  for _ in $(seq "$runs"); do
    local t0; t0=$(seconds); cp -r "$src" "$work/$name/copy"; cps+=("$(echo "$(seconds) - $t0" | bc -l)")
    rm -rf "$work/$name/copy"
  done
  local cp_s; cp_s=$(printf '%s\n' "${cps[@]}" | median)
  printf '%s: %d files, %d MB; cp -r %.3f s\n' "$name" "$files" "$size" "$cp_s"
  for layout in mirror mbox mail; do
    local walk=() whole=() peak=() status=""
    for _ in $(seq "$runs"); do
      mkdir -p "$work/$name/out"
      /usr/bin/time -f "%e %M" -o "$work/time.txt" "$bench" "$src" "$work/$name/out" "$layout" > "$work/out.txt" 2> /dev/null
      walk+=("$(sed -n 's/.*seconds=\([0-9.]*\).*/\1/p' "$work/out.txt")")
      whole+=("$(cut -d' ' -f1 < "$work/time.txt")")
      peak+=("$(cut -d' ' -f2 < "$work/time.txt")")
      status=$(sed -n 's/.*status="\([^"]*\)".*/\1/p' "$work/out.txt")
      rm -rf "$work/$name/out"
    done
    local w p m
    w=$(printf '%s\n' "${walk[@]}" | median); p=$(printf '%s\n' "${whole[@]}" | median)
    m=$(printf '%s\n' "${peak[@]}" | sort -n | tail -1)
    printf '  %-6s run %6.3f s %4.2fx cp -r   process %6.3f s %4.2fx cp -r   peak %3.0f MB  (%s)\n' "$layout" \
      "$w" "$(echo "$w / $cp_s" | bc -l)" "$p" "$(echo "$p / $cp_s" | bc -l)" "$(echo "$m / 1024" | bc -l)" "$status"
  done
  rm -rf "$work/$name"
}

run_set tree-5000 5000 50
run_set tree-20000 20000 200
run_set flat-20000 20000 1 --flat
