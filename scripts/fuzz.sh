#!/usr/bin/env bash
# Builds the fuzz targets with clang into build/fuzz and runs each for a while: the drawing
# readers (Illustrator 8, SVG, DXF) and the nesting of what they read for the given time each,
# the ini files for a third of it.
# Usage: scripts/fuzz.sh [seconds per reader]   (default 30)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-30}"

bash scripts/install-deps.sh --tests
cmake -S . -B build/fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DPLAVO_FUZZ=ON -DPLAVO_SANITIZE=ON -DPLAVO_TESTS=OFF -DPLAVO_BENCH=OFF
cmake --build build/fuzz -j"$(nproc)" --target plavo_fuzz_reader plavo_fuzz_svg plavo_fuzz_dxf \
  plavo_fuzz_ini plavo_fuzz_nest

# fuzz TARGET SECONDS MAX_LEN SEED_DIRS...
fuzz() {
  local target="$1" time="$2" length="$3"
  shift 3
  local corpus="build/fuzz/corpus-$target"
  mkdir -p "$corpus"
  echo "== $target: $time s"
  "./build/fuzz/$target" -max_total_time="$time" -max_len="$length" -timeout=10 \
    -rss_limit_mb=2048 "$corpus" "$@"
}

fuzz plavo_fuzz_reader "$seconds" 65536 fuzz/corpus examples
fuzz plavo_fuzz_svg "$seconds" 65536 fuzz/corpus-svg
fuzz plavo_fuzz_dxf "$seconds" 65536 fuzz/corpus-dxf
# Drawings of every format nested on small sheets; the input's last bytes choose the settings.
fuzz plavo_fuzz_nest "$seconds" 16384 fuzz/corpus fuzz/corpus-svg fuzz/corpus-dxf
# The settings, presets and language files: a shorter run, the format is small.
fuzz plavo_fuzz_ini "$(( (seconds + 2) / 3 ))" 4096 translations
