#!/usr/bin/env bash
# A short libFuzzer run of the design-time record decoder (tests/fuzz/record_fuzz.cpp).
# Usage: bench/fuzz-record.sh [seconds]   (default 60)
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps fuzz
seconds="${1:-60}"
build="build-fuzz"
mkdir -p "$build"
log="$build/fuzz-build.log"
cmake -S . -B "$build" -DQUELMAR_FUZZ=ON -DQUELMAR_TESTS=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ > "$log" 2>&1 || { cat "$log"; exit 1; }
cmake --build "$build" --target record_fuzz -j"$(nproc)" >> "$log" 2>&1 || { tail -n 30 "$log"; exit 1; }

# Seeds: a few records of each kind, the first byte choosing the class
# (0 Window, 1 Label, 2 TextField, 3 PushButton, 4 BevelButton, 5 CheckBox,
# 6 ProgressBar, 7 TabPanel, 8 Timer).
corpus="$build/record-corpus"
mkdir -p "$corpus"
python3 - "$corpus" <<'PY'
import struct, sys, os
out = sys.argv[1]
def i4(n, v): return n.encode() + b" " + struct.pack(">i", v)
def b(n, v): return n.encode() + b" " + bytes([1 if v else 0])
def c(n, r, g, bl): return n.encode() + b" " + bytes([r, g, bl])
def s(n, v): return n.encode() + b" " + struct.pack(">I", len(v)) + v.encode()
seeds = {
    "window": bytes([0]) + i4("Width", 448) + i4("Height", 306) + s("Title", "Quelmar") + b("Resizeable", False)
              + c("BackColor", 255, 255, 255) + i4("Placement", 0),
    "label": bytes([1]) + s("Name", "StaticText1") + i4("Index", -2**31) + s("Text", "Source Directory:")
             + c("TextColor", 0, 0, 0) + b("Multiline", False) + s("InitialParent", "TabPanel1") + i4("TabPanelIndex", 2),
    "field": bytes([2]) + s("Text", "") + b("ReadOnly", True) + i4("LimitText", 0) + c("BackColor", 255, 255, 255),
    "push": bytes([3]) + s("Caption", "Quit") + b("Default", True) + i4("ButtonStyle", 0),
    "bevel": bytes([4]) + s("Caption", "Select...") + i4("CaptionPlacement", 2) + b("Value", False),
    "check": bytes([5]) + s("Caption", "Create .mbox Folders") + i4("State", 1) + b("Value", True),
    "bar": bytes([6]) + i4("Value", 0) + i4("Maximum", 100),
    "tabs": bytes([7]) + s("TabDefinition", "Single File Conversion\rBatch Conversion") + i4("Value", 0),
    "timer": bytes([8]) + i4("Period", 3000) + i4("Mode", 1),
}
for name, data in seeds.items():
    with open(os.path.join(out, name), "wb") as f:
        f.write(data)
PY
QT_QPA_PLATFORM=offscreen "$build/tests/fuzz/record_fuzz" -max_total_time="$seconds" -max_len=4096 "$corpus" 2>&1 | tail -n 15
