#!/usr/bin/env bash
# Builds the descriptor parser with clang's libFuzzer and fuzzes it briefly.
# Usage: run-fuzz.sh SOURCE_DIR WORK_DIR SECONDS
set -euo pipefail
src=$1
work=$2
seconds=${3:-20}
mkdir -p "$work/corpus"
cp "$src/tests/downloads/fuzz/corpus/"* "$work/corpus/"
binary="$work/fuzz_corvanaitem"
clang++ -std=c++20 -O1 -g -fPIC -fsanitize=fuzzer,address,undefined \
  -fno-sanitize-recover=undefined \
  $(pkg-config --cflags Qt6Core Qt6Xml) -I"$src/src" \
  "$src/tests/downloads/fuzz/fuzz_corvanaitem.cpp" "$src/src/downloads/CorvanaItem.cpp" "$src/src/core/Logging.cpp" \
  $(pkg-config --libs Qt6Core Qt6Xml) -o "$binary"
cd "$work"
ASAN_OPTIONS=detect_leaks=0 "$binary" -max_total_time="$seconds" -max_len=8192 \
  -print_final_stats=1 corpus
