#!/usr/bin/env bash
# Stop benchmark: a folder of one small message and four of SIZE_MB, in
# memory (tmpfs), converted in the mirror layout and stopped with Escape once
# the first output is placed; the time until the walk returns and the peak
# memory of the process, with workers reading ahead and with the main thread
# alone. Medians of RUNS runs.
# usage: bench/stop.sh [BUILD_DIR] [SIZE_MB] [RUNS]   (defaults: build/, 300, 3)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../build}
size_mb=${2:-300}
runs=${3:-3}
cmake --build "$build" --target stop_bench -j"$(nproc)" > /dev/null
bench="$build/bench/stop_bench"
work=$(mktemp -d "${QUELMAR_BENCH_DIR:-/dev/shm}/quelmar-stop.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/Inbox"
printf 'From: a@example.com\r\nSubject: a\r\n\r\nsmall\r\n' > "$work/Inbox/a.eml"
python3 - "$work/Inbox/b.eml" "$size_mb" <<'PY'
import sys
line = b"a line of the body of a large message, with its end\r\n"
with open(sys.argv[1], "wb") as f:
    f.write(b"From: b@example.com\r\nSubject: large\r\n\r\n")
    f.write(line * (int(sys.argv[2]) * 1024 * 1024 // len(line)))
PY
for n in c d e; do cp "$work/Inbox/b.eml" "$work/Inbox/$n.eml"; done
median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
printf 'one message and four of %d MB\n' "$size_mb"
for workers in 3 0; do
  stops=() peaks=()
  for _ in $(seq "$runs"); do
    mkdir -p "$work/Out"
    out=$("$bench" "$work/Inbox" "$work/Out" "$workers" 2> /dev/null)
    stops+=("$(sed -n 's/.*stop_seconds=\([0-9.]*\).*/\1/p' <<<"$out")")
    peaks+=("$(sed -n 's/.*peak_mb=\([0-9]*\).*/\1/p' <<<"$out")")
    rm -rf "$work/Out"
  done
  printf '  workers %d: stop %.3f s, peak %d MB\n' "$workers" "$(printf '%s\n' "${stops[@]}" | median)" \
    "$(printf '%s\n' "${peaks[@]}" | sort -n | tail -1)"
done
