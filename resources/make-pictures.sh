#!/usr/bin/env bash
# Draws the four pictures into this folder with make_pictures.cpp (Qt 6 Gui).
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
c++ -std=c++17 -O1 -fPIC -Wall -Wextra "$here/make_pictures.cpp" -o "$work/make_pictures" \
  $(pkg-config --cflags --libs Qt6Gui)
QT_QPA_PLATFORM=offscreen "$work/make_pictures" "$here"
