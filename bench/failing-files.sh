#!/usr/bin/env bash
# Reading ahead where files fail on their own: a folder of FILES generated
# messages with as many broken symbolic links between them, converted in the
# mirror layout through the real window, offscreen, by the main thread alone
# and by three workers reading ahead, paired in one process; medians of
# ROUNDS rounds. Every link is alerted (answered at once) in both.
# usage: bench/failing-files.sh [BUILD_DIR] [ROUNDS] [FILES]   (defaults: build/, 9, 2000)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../build}
rounds=${2:-9}
files=${3:-2000}
cmake --build "$build" --target failing_files_bench -j4 > /dev/null
bench="$build/bench/failing_files_bench"
work=$(mktemp -d "${QUELMAR_BENCH_DIR:-/dev/shm}/quelmar-failing.XXXXXX")
trap 'rm -rf "$work"' EXIT
python3 "$here/make_tree.py" "$work/Mail" "$files" 1 --flat
# Each link sorts right after its message and leads nowhere.
for message in "$work"/Mail/*.eml; do ln -s "$work/gone/$(basename "$message")" "${message%.eml}-link.eml"; done
mkdir -p "$work/Out"
printf '%d messages and %d broken links in one folder\n' "$files" "$files"
"$bench" "$work/Mail" "$work/Out" "$rounds" 2> /dev/null
