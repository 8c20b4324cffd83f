#!/usr/bin/env bash
# Single-file conversion benchmark: one 50 MB message with CR LF line ends,
# converted through the real window offscreen, beside `cp` of the same file.
# The conversion's time is that of the p_ConvertSingleFile call (start-up of
# the process and the window excluded); cp's and dd's are the whole command.
# Memory: the process's resident size before the call and its peak during it.
# usage: bench/single-file.sh [BUILD_DIR] [SIZE_MB] [RUNS]   (defaults: build/, 50, 5)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../build}
size_mb=${2:-50}
runs=${3:-5}
cmake --build "$build" --target single_file_bench -j"$(nproc)" > /dev/null
bench="$build/bench/single_file_bench"
work=$(mktemp -d /var/tmp/quelmar-single.XXXXXX)
trap 'rm -rf "$work"' EXIT

python3 - "$work/message.eml" "$size_mb" <<'PY'
import sys
path, size = sys.argv[1], int(sys.argv[2]) * 1024 * 1024
header = (
    "Return-Path: <ann@example.com>\r\n"
    "Received: from mail.example.com (mail.example.com [192.0.2.1])\r\n"
    "\tby mx.example.org with ESMTP id 12345; Tue, 1 Jul 2003 10:52:40 +0200\r\n"
    "From: Ann Example <ann@example.com>\r\n"
    "To: Bob Example <bob@example.org>\r\n"
    "Subject: The quarterly figures & the attachment <large>\r\n"
    "Date: Tue, 1 Jul 2003 10:52:37 +0200\r\n"
    "Message-ID: <20030701105237.1234@example.com>\r\n"
    "MIME-Version: 1.0\r\n"
    "Content-Type: multipart/mixed; boundary=\"b1\"\r\n\r\n"
    "--b1\r\nContent-Type: text/plain; charset=us-ascii\r\n\r\nThe figures are attached.\r\n\r\n"
    "--b1\r\nContent-Type: application/octet-stream\r\nContent-Transfer-Encoding: base64\r\n\r\n"
)
line = "QUJDREVGR0hJSktMTU5PUFFSU1RVVldYWVphYmNkZWZnaGlqa2xtbm9wcXJzdHV2d3h5ejAxMjM0\r\n"
body = line * ((size - len(header)) // len(line))
with open(path, "wb") as f:
    f.write((header + body + "--b1--\r\n").encode("ascii"))
PY
bytes=$(stat -c %s "$work/message.eml")
cat "$work/message.eml" > /dev/null  # both start from a warm cache

median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
cp_times=() dd_times=() conv_times=() peaks=() befores=()
for i in $(seq "$runs"); do
  rm -f "$work/message.emlx"
  t0=$(date +%s.%N); cp "$work/message.eml" "$work/copy.eml"; t1=$(date +%s.%N); rm -f "$work/copy.eml"
  cp_times+=("$(echo "$t1 - $t0" | bc -l)")
  # cp copies inside the kernel (copy_file_range); dd through one reused 1 MB buffer
  t0=$(date +%s.%N); dd if="$work/message.eml" of="$work/copy.eml" bs=1M status=none; t1=$(date +%s.%N)
  rm -f "$work/copy.eml"
  dd_times+=("$(echo "$t1 - $t0" | bc -l)")
  out=$("$bench" "$work/message.eml")
  conv_times+=("$(sed -n 's/.*seconds=\([0-9.]*\).*/\1/p' <<<"$out")")
  peaks+=("$(sed -n 's/.*peak_kb=\([0-9]*\).*/\1/p' <<<"$out")")
  befores+=("$(sed -n 's/.*rss_before_kb=\([0-9]*\).*/\1/p' <<<"$out")")
done
head -c 40 "$work/message.emlx" | head -1 | sed 's/^/count line: /'

cp_s=$(printf '%s\n' "${cp_times[@]}" | median)
dd_s=$(printf '%s\n' "${dd_times[@]}" | median)
conv_s=$(printf '%s\n' "${conv_times[@]}" | median)
peak_kb=$(printf '%s\n' "${peaks[@]}" | sort -n | tail -1)
before_kb=$(printf '%s\n' "${befores[@]}" | median)
mb=$(echo "$bytes / 1048576" | bc -l)
printf 'message: %.1f MB, %d runs (medians)\n' "$mb" "$runs"
printf '  cp:               %.3f s\n' "$cp_s"
printf '  dd bs=1M:         %.3f s\n' "$dd_s"
printf '  conversion:       %.3f s  (%.2fx cp)\n' "$conv_s" "$(echo "$conv_s / $cp_s" | bc -l)"
printf '  memory: %.0f MB before the conversion, peak %.0f MB during it (+%.0f MB = %.2fx the message)\n' \
  "$(echo "$before_kb / 1024" | bc -l)" "$(echo "$peak_kb / 1024" | bc -l)" \
  "$(echo "($peak_kb - $before_kb) / 1024" | bc -l)" "$(echo "($peak_kb - $before_kb) / 1024 / $mb" | bc -l)"
printf '  limit: 3x message + 30 MB = %.0f MB peak\n' "$(echo "3 * $mb + 30" | bc -l)"
