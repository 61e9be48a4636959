#!/usr/bin/env bash
# Builds the reader's fuzz target with clang into build/fuzz and runs it for a while.
# Usage: scripts/fuzz.sh [seconds]   (default 60)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"

bash scripts/install-deps.sh --tests
cmake -S . -B build/fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DPLAVO_FUZZ=ON -DPLAVO_SANITIZE=ON -DPLAVO_TESTS=OFF -DPLAVO_BENCH=OFF
cmake --build build/fuzz -j"$(nproc)" --target plavo_fuzz_reader

corpus=build/fuzz/corpus
mkdir -p "$corpus"
./build/fuzz/plavo_fuzz_reader -max_total_time="$seconds" -max_len=65536 -timeout=10 \
  -rss_limit_mb=2048 "$corpus" fuzz/corpus examples

# The settings, presets and language files: a shorter run, the format is small.
cmake --build build/fuzz -j"$(nproc)" --target plavo_fuzz_ini
ini_corpus=build/fuzz/ini-corpus
mkdir -p "$ini_corpus"
./build/fuzz/plavo_fuzz_ini -max_total_time="$(( (seconds + 2) / 3 ))" -max_len=4096 -timeout=10 \
  -rss_limit_mb=2048 "$ini_corpus" translations
