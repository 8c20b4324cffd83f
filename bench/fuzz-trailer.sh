#!/usr/bin/env bash
# A short libFuzzer run of the trailer builder in a clang build of its own.
# usage: bench/fuzz-trailer.sh [SECONDS] [BUILD_DIR]   (defaults: 60, build-fuzz-trailer/)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
seconds=${1:-60}
build=${2:-$root/build-fuzz-trailer}
"$root/scripts/install-deps" fuzz
cmake -S "$root" -B "$build" -DQUELMAR_FUZZ=ON -DQUELMAR_TESTS=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ > /dev/null
cmake --build "$build" --target trailer_fuzz -j"$(nproc)" > /dev/null

# A few real headers to start from.
corpus="$build/trailer-corpus"
mkdir -p "$corpus"
printf 'From: Ann <ann@example.com>\r\nTo: bob@example.org\r\nSubject: Hi & bye\r\nDate: Tue, 1 Jul 2003 10:52:37 +0200\r\n\r\nBody\r\n' > "$corpus/plain"
printf 'Reply-To: r@x\nDelivered-To: d@x\nTo: t@x\nFROM: \xe9\xff\x00\x01<&>\nsubject: =?utf-8?q?x?=\n\tfolded\nDate: 1 Jul 03 10:52 EST\n\nFrom: body\n' > "$corpus/odd"
printf 'Date: Tue, 19 Jan 2038 03:14:08 +0000\nSubject: \xef\xbf\xbe\xed\xa0\x80\xc3\n' > "$corpus/edges"

ASAN_OPTIONS=detect_leaks=1 "$build/tests/fuzz/trailer_fuzz" "$corpus" -max_total_time="$seconds" -max_len=4096 \
  -print_final_stats=1 -artifact_prefix="$build/" 2>&1 | tail -25
