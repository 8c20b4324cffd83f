#!/usr/bin/env bash
# Batch conversion benchmark: generated trees converted through the real
# window, offscreen, in each layout, beside `cp -r` of the same tree.
# usage: bench/batch.sh [BUILD_DIR]   (default build/)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../build}
cmake --build "$build" --target batch_bench -j"$(nproc)" > /dev/null
bench="$build/bench/batch_bench"
# In memory by default, so that the file system's own state (ext4 slows down creating
# files right after many were deleted) does not swamp what is measured.
work=$(mktemp -d "${QUELMAR_BENCH_DIR:-/dev/shm}/quelmar-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT

peak() { grep "Maximum resident" "$1" | awk '{printf "%.0f MB", $6/1024}'; }

run_set() {
  local name=$1 files=$2 folders=$3 flag=${4:-}
  local src="$work/$name/Mail"
  python3 "$here/make_tree.py" "$src" "$files" "$folders" $flag
  local size; size=$(du -sm "$src" | cut -f1)
  sync
  local t0 t1
  t0=$(date +%s.%N); cp -r "$src" "$work/$name/copy"; t1=$(date +%s.%N)
  local cp_s; cp_s=$(echo "$t1 - $t0" | bc -l)
  rm -rf "$work/$name/copy"
  printf '%s: %d files, %d MB; cp -r %.2f s\n' "$name" "$files" "$size" "$cp_s"
  for layout in mirror mbox mail; do
    mkdir -p "$work/$name/out-$layout"
    /usr/bin/time -v "$bench" "$src" "$work/$name/out-$layout" "$layout" > "$work/out.txt" 2> "$work/time.txt"
    local s; s=$(sed -n 's/.*seconds=\([0-9.]*\).*/\1/p' "$work/out.txt")
    printf '  %-6s %6.2f s  %4.2fx cp -r  peak %s  (%s)\n' "$layout" "$s" "$(echo "$s / $cp_s" | bc -l)" \
      "$(peak "$work/time.txt")" "$(sed -n 's/.*status="\([^"]*\)".*/\1/p' "$work/out.txt")"
  done
  rm -rf "$work/$name"
}

run_set tree-5000 5000 50
run_set tree-20000 20000 200
run_set flat-20000 20000 1 --flat
