#!/usr/bin/env bash
# Builds the readers' fuzz targets with clang into build/fuzz and runs each for a while:
# Illustrator 8, SVG and DXF.
# Usage: scripts/fuzz.sh [seconds per reader]   (default 30)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-30}"

bash scripts/install-deps.sh --tests
cmake -S . -B build/fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DPLAVO_FUZZ=ON -DPLAVO_SANITIZE=ON -DPLAVO_TESTS=OFF -DPLAVO_BENCH=OFF
cmake --build build/fuzz -j"$(nproc)" --target plavo_fuzz_reader plavo_fuzz_svg plavo_fuzz_dxf

fuzz() {
  local target="$1"
  shift
  local corpus="build/fuzz/corpus-$target"
  mkdir -p "$corpus"
  echo "== $target: $seconds s"
  "./build/fuzz/$target" -max_total_time="$seconds" -max_len=65536 -timeout=10 \
    -rss_limit_mb=2048 "$corpus" "$@"
}

fuzz plavo_fuzz_reader fuzz/corpus examples
fuzz plavo_fuzz_svg fuzz/corpus-svg
fuzz plavo_fuzz_dxf fuzz/corpus-dxf
